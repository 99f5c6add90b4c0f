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

// An output file. A file that exists is replaced.
class ExportFile : public LineWriter {
  public:
    // False when the file cannot be created (missing folder, no permission).
    bool Create(const std::string& path);
    void WriteLine(std::string_view text) override;
    // Closes the file; false when any write or the close itself failed (a full disk), so that
    // a cut-off file is never taken for a finished one.
    bool Close();

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
    bool m_failed = false;
};

// Calls `line` for each line of a UTF-8 text file, without its line end ("\n" or "\r\n") and
// with a leading byte-order mark left out. False when the file cannot be opened.
bool ForEachTextLine(const std::string& path, const std::function<void(const std::string&)>& line);

}  // namespace quillmate
