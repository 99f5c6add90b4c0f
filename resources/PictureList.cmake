# Names of the built-in pictures, as in the Picture enumeration; each one is pictures/<name>.png,
# and pictures/<name>@2x.png drawn at twice the size.
set(QUILLMATE_PICTURES
    AppIcon Admin Collapsed Expanded Help Info Settings Copy NewEntryMark ChangedEntryMark
    Folder Statistics CodeFormat FlagGerman FlagBritish FlagFrench)
