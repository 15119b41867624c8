// No output of a command may be written over one of its inputs, nor two outputs into one file:
// one check, shared by run, sweep and fit, so that a careless command line never loses a data
// file, a measurement file or a result.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

//! The files a command reads and writes, named as on its command line ("-" for standard input
//! or output). Two names stand for one file when they have the same device and inode where the
//! file exists (links followed; an input read through "-" is the file behind descriptor 0, an
//! output "-" the one behind descriptor 1), or the same resolved path where it does not yet.
//! Devices, terminals and pipes are not files that an output could overwrite.
class OutputClashCheck {
 public:
  //! `work` names the command in messages: "run", "sweep", "fit".
  explicit OutputClashCheck(std::string work) : work_(std::move(work)) {}

  //! A file read: "data file", "measurement file".
  void Input(std::string kind, const std::string& name);
  //! A file written: "result file", "table", "CSV file".
  void Output(std::string kind, const std::string& name);
  //! The files written into `directory` whose names `isMember` accepts ("case-0001.txt"):
  //! those that exist now, and any other output named into the directory with such a name.
  void OutputDirectory(std::string kind, const std::string& directory,
                       std::function<bool(std::string_view)> isMember);

  //! The first clash, in words ("The table "t.dat" is the data file "/home/me/t.dat" of this
  //! sweep, which is left as it is. Choose another table."); nullopt when there is none.
  std::optional<std::string> FirstClash() const;
  //! Throws Error(ErrorKind::Usage) with FirstClash() when there is one.
  void Check() const;

 private:
  struct File {
    std::string Kind;
    std::string Name;
    bool Output = false;
  };
  struct Directory {
    std::string Kind;
    std::string Name;
    std::function<bool(std::string_view)> IsMember;
  };

  std::string work_;
  std::vector<File> files_;
  std::vector<Directory> directories_;
};

}  // namespace quillmere
