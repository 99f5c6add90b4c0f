#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/ from the sample library,
the test fixtures and a few hand-made inputs for the rules each reader has. Run from anywhere;
it replaces the corpus folders."""
import pathlib
import shutil

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
BOM = b"\xef\xbb\xbf"


def write(target, items):
    folder = CORPUS / target
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for name, data in items:
        (folder / name).write_bytes(data)


def library_code_files(count):
    files = sorted(p for p in (ROOT / "library").rglob("*") if p.suffix in (".kx", ".kxi", ".kxf"))
    # Spread over the themes rather than the first few folders.
    step = max(1, len(files) // count)
    return files[::step][:count]


def database():
    # The bundled database in pieces of about 4 KB: small inputs keep the fuzzer fast, and each
    # piece (a syntax error at its end) still holds the head, themes and entries.
    toc = (ROOT / "library/Quillmate-Toc.xml").read_bytes()
    items = [("sample-toc.xml", (ROOT / "tests/data/database/Sample-Toc.xml").read_bytes())]
    items += [(f"library-toc-{i:02}.xml", toc[:4000] + toc[i * 4000 + 4000:i * 4000 + 8000])
              for i in range(0, len(toc) // 4000 - 1, 2)]
    small = {
        "head-only.xml": b"<Toc a='x' b='y'/>",
        "theme-text.xml": b"<Toc><Theme title='T'>  \n Intro text\t<E File='/a/b.kx'/>tail</Theme></Toc>",
        "marks.xml": "<Toc><T title='t'><E theme_de='\u2730Neu' theme_en='\u2730New' theme_fr='\u21baFr'/>"
                     "<E theme_de='\u21baAlt' theme_en='Old'/></T></Toc>".encode(),
        "version.xml": b"<Toc descript_de='Library of samples 2021-03-14 final'/>",
        "version-two-spaces.xml": b"<Toc descript_de='Library  of samples 2021-03-14'/>",
        "help-entries.xml": b"<Toc><T><E File='a/ViewerHelp.txt'/><E File='b/ViewerHelp.txt'/></T></Toc>",
        "comments-pi-cdata.xml": b"<?xml version='1.0'?><!-- c --><Toc><?pi x?><T>a<![CDATA[<b>]]>c<!--d--></T></Toc>",
        "latin1.xml": b"<?xml version='1.0' encoding='ISO-8859-1'?><Toc title='\xc4\xd6\xdc'>\xe9</Toc>",
        "utf16le.xml": "\ufeff<Toc title='\u00e4'><T/></Toc>".encode("utf-16-le"),
        "utf16be.xml": "\ufeff<Toc title='\u00e4'><T/></Toc>".encode("utf-16-be"),
        "unknown-encoding.xml": b"<?xml version='1.0' encoding='x-unknown-7'?><Toc/>",
        "entities.xml": b"<!DOCTYPE a [<!ENTITY e 'ee'><!ENTITY f '&e;&e;'>]><a t='&f;'>&f;&amp;&#x2730;</a>",
        "laughs.xml": b"<!DOCTYPE a [<!ENTITY l0 'lol'><!ENTITY l1 '&l0;&l0;&l0;&l0;'>"
                      b"<!ENTITY l2 '&l1;&l1;&l1;&l1;'>]><a>&l2;</a>",
        "external.xml": b"<!DOCTYPE a [<!ENTITY e SYSTEM 'file:///etc/hostname'>]><a>[&e;]</a>",
        "unclosed.xml": b"<Toc>\n<T>\n<E>\n",
        "mismatched.xml": b"<a><b></a>",
        "nul.xml": b"<a>x\x00y</a>",
        "invalid-utf8.xml": b"<a t='\xc3\x28'>\xff</a>",
        "deep.xml": b"<e>" * 200 + b"</e>" * 200,
        "wide.xml": b"<a>" + b"<b c='d'/>" * 200 + b"</a>",
        "nested-entries.xml": b"<H><T title='t'><E theme_de='e'><V theme_de='v' File='/v.kx'/></E></T><T title='u'/></H>",
        "attributes-joined.xml": b"<H title='a' x='b' theme_de='c' theme_de2='d'/>",
    }
    items += list(small.items())
    write("database", items)


def ini():
    sample = (b"\n; Viewer\ndb-path=/home/u/Library/Quillmate-Toc.xml\nLib-path=\nabout=1\n; User settings\n"
              b"Language=0\nSearchHint=0\nSearchMode=0\nCodeMarks=2\nFontName=Monospace\nFontSize=10\n"
              b"SavePaths=1\nSourceInTitle=1\nSaveWinSetting=0\nDyeingNews=1\nDarkMode=0\nCodeEditorPath=\n"
              b"; App settings\nWinX=0\nWinY=0\nWinWidth=1000\nWinHight=680\nSplitter=330\n")
    items = {
        "preferences.ini": BOM + sample,
        "preferences-no-bom.ini": sample,
        "preferences-crlf.ini": BOM + sample.replace(b"\n", b"\r\n"),
        "latin1-font.ini": b"FontName=\xc5ngstr\xf6m\nFontSize=12\n",
        "spaces-and-case.ini": b"  fontsize = 12 \t\n\tFONTNAME\t=\t Mono \n",
        "groups.ini": BOM + b"\na=1\n[Group]\nb=2\n[Other\nc\n]x=y\n",
        "comments.ini": b";c1\n;  c2\n ; c3\n[g] rest\n;\n",
        "no-equals.ini": b"lonely key  \nkey=\n=value\n=\n",
        "blank-lines.ini": b"\n\n \t \r\r\n\na=1\r\r\rb=2",
        "bom-only.ini": BOM,
        "short.ini": b"\xef\xbb",
        "no-final-line-feed.ini": BOM + b"\nFontSize=10",
        "numbers.ini": b"FontSize=99999999999999999999\nWinX=-5\nWinY=+7x\nSplitter= abc\n",
        "nul.ini": b"FontName=Mono\x00space\nx=1\x00new\x01value\r\nsecond\x01 third \x01\ttab\x01",
        "write-values.ini": b"db-path=/a\nx=1\n[g]\nFontName=z\x00/new/path\x01Sans\x0112\x01/usr/bin/ed\x01y",
        "binary.ini": bytes(range(256)),
        "invalid-utf8-after-bom.ini": BOM + b"a=\xff\xfe\nb=\xc3\n",
    }
    write("ini", list(items.items()))


def language():
    full = (ROOT / "resources/QuillmateLang.inf").read_bytes()
    lines = full.split(b"\n")
    tooltips = lines.index(b"[Tooltips]")
    items = [
        ("language-head.inf", b"\n".join(lines[:60])),
        ("language-labels.inf", b"\n".join(lines[:8] + lines[60:tooltips][:60])),
        ("language-tooltips.inf", b"\n".join(lines[:8] + lines[tooltips:tooltips + 60])),
    ]
    small = {
        "bom-crlf.inf": BOM + b"[LanguageItems]\r\nKey = #A\r\nde = a\r\nen = b \r\nfr = c\r\n",
        "before-section.inf": b"Key = #X\nde = x\nen = y\nfr = z\n[LanguageItems]\nKey = #Y\nde = 1\n",
        "tooltips-first.inf": b"[LanguageItems]\n[Tooltips]\nKey = #Main_Find\nde = Suche\nen = Find\nfr = Chercher\n",
        "stray-lines.inf": b"[LanguageItems]\nKey = #A\nen = e\nfr = f\nKey = #B\nde = d\nKey = #C\nde = c\nfr = f\nen = e\n",
        "tabs.inf": b"[LanguageItems]\n\tKey = #T\nKey\t= #U\nde = a\tb\tc\nen =   x  \nfr=y\n",
        "duplicates.inf": b"[LanguageItems]\nKey = #D\nde = 1\nen = 2\nfr = 3\nKey = #D\nde = 4\n",
        "invalid-utf8.inf": b"[LanguageItems]\nKey = #\xff\nde = \xc3\x28\nen = \xe2\x82\nfr = \xed\xa0\x80\n",
        "no-final-line-feed.inf": b"[LanguageItems]\nKey = #E\nde = end",
        "binary.inf": bytes(range(256)),
        "lower-case-key.inf": b"[LanguageItems]\nkey = #Cnf_LabelSearch\nde = x\n",
    }
    items += list(small.items())
    write("language", items)


def codefile():
    items = []
    for path in library_code_files(24):
        items.append((path.name, path.read_bytes()))
    text = "Print \"\u00e4\"\n; IDE Options = x\n; EnableUnicode\n; SubSystem = gtk3\n"
    small = {
        "utf16le.kx": b"\xff\xfe" + text.encode("utf-16-le"),
        "utf16le-odd.kx": b"\xff\xfe" + text.encode("utf-16-le") + b"\x41",
        "utf16le-surrogates.kx": b"\xff\xfe\x3d\xd8\x00\xde\x00\xd8A\x00\x00\xdc",
        "utf16be-mark.kx": b"\xfe\xff" + text.encode("utf-16-be"),
        "utf32be-mark.kx": b"\x00\x00\xfe\xff" + text.encode("utf-32-be"),
        "utf32le-mark.kx": b"\xff\xfe\x00\x00" + text.encode("utf-32-le"),
        "utf8-bom.kx": BOM + text.encode(),
        "latin1.kx": b"Print \"\xc3\xa4\xe4\"\n",
        "cr-only.kx": b"a\rb\r\rc\r",
        "crlf-mixed.kx": b"a\r\nb\n\rc\r\r\nd",
        "nul.kx": b"a\x00b\x00\x00c",
        "question-marks.kx": b"??x\n???\n?\xff?y\n",
        "invalid-utf8.kx": BOM + b"\x80\xbf\xc0\xaf\xe0\x80\xaf\xed\xa0\x80\xf4\x90\x80\x80\xf8\xff\n\xc3",
        "trailer-only.kx": b"; IDE Options = \n; SubSystem = gtk2\n; SubSystem = gtk3\n",
        "gtk2-before.kx": b"; SubSystem = gtk2\nx\n; IDE Options = \n",
        "two-empty-lines.kx": b"\n\nx",
        "one-byte.kx": b"\xff",
        "two-bytes.kx": b"\xfe\xff",
        "drop-list.kx": b"/home/u/a.kx\n/home/u/b.txt\n",
        "drop-quoted.kx": b"/x/.hidden\"y/a b.kx\"z",
    }
    items += list(small.items())
    write("codefile", items)


def highlighter():
    items = []
    # The literal passes are slow on long texts: the first 2 KB of each file are enough.
    for path in library_code_files(24)[::-1]:
        data = path.read_bytes()
        items.append((path.name, (data[3:] if data.startswith(BOM) else data)[:2048]))
    small = {
        "comment.kx": b"x = 1 ; comment\n;first\nDebug \"a;b\" ; note",
        "quote-lines.kx": b"; a \" quote\n; next\nx = \"open\n; still",
        "line-ends.kx": "a ; c\r\nb ; d\rc ; e\u2029f ; g".encode(),
        "keywords.kx": b"If a And b : EndIf\nEndIfX endif MyIf If_1 $If If$",
        "procedures.kx": b"Procedure.i Add(a, b)\nEndProcedure\nDeclare Add(a, b)\nx = Add(1, 2) + Add\n"
                         b"ProcedureC   Cb()\nProcedureDLL\tTab()\nProcedure\nProcedureCDLL Add()",
        "constants.kx": b"#Window_Main = 1\nColor#2\nx = \"#FF0000\" ; #c\n#\n##a",
        "links.kx": b"; Link to topic:   https://docs.gtk.org/gtk3/ a b\n; Link to topic:   \n"
                    b"; Link to topic:   x; Link to topic:   y",
        "unicode.kx": "Debug \"\u00e4\u2730\" ; \u21ba\nIf\u00e9 = #\u00c4\nProcedure \u00e4b()".encode(),
        "replacement.kx": b"If \xff\"\xc3\x28\"\n; \xe2\x82",
        "strings.kx": b"a = \"one\" + \"two\"\nb = \"\" + \"\nc = \"",
    }
    items += list(small.items())
    write("highlighter", items)


if __name__ == "__main__":
    database()
    ini()
    language()
    codefile()
    highlighter()
    total = sum(f.stat().st_size for f in CORPUS.rglob("*") if f.is_file())
    print(f"{sum(1 for f in CORPUS.rglob('*') if f.is_file())} files, {total} bytes in {CORPUS}")
