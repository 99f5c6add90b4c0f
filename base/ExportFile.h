// Text files written and read by the exports and the duplicate protocol: UTF-8 without
// byte-order mark, one line feed after every line.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quillmate {

// Where an export writes its lines; every call adds one line feed after `text`.
class LineWriter {
  public:
    virtual ~LineWriter() = default;
    virtual void WriteLine(std::string_view text) = 0;
};

// An output file. The lines go into a temporary file beside it, which replaces the file only
// when everything was written: a failed export leaves the previous file as it was.
class ExportFile : public LineWriter {
  public:
    ExportFile() = default;
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;
    // A file that was never closed is given up.
    ~ExportFile() override;

    // False when the file cannot be created (missing folder, no permission).
    bool Create(const std::string& path);
    void WriteLine(std::string_view text) override;
    // Writes the file out and puts it in place; false when any write, the close or the
    // replacement failed (a full disk), so that a cut-off file is never taken for a finished one.
    bool Close();

  private:
    void GiveUp();

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
    std::string m_path;
    std::string m_temporary;
    bool m_failed = false;
};

// Calls `line` for each line of a UTF-8 text file, without its line end ("\n" or "\r\n") and
// with a leading byte-order mark left out. False when the file cannot be opened.
bool ForEachTextLine(const std::string& path, const std::function<void(const std::string&)>& line);

}  // namespace quillmate
