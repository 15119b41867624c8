// Opening, reading, writing and closing the program's files, with one set of safeguards: a
// named pipe never hangs an open, an interrupted call is retried, a file is never truncated
// before the caller has checked what it is, and every failure names the file and gives the
// system's reason.
#pragma once

#include "base/Error.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillmere {

//! A file that could not be read, written or closed once it was opened: "Could not write the
//! result file "out.txt": No space left on device".
class FileError : public Error {
 public:
  explicit FileError(const std::string& text, std::string details = {})
      : Error(ErrorKind::File, text, std::move(details)) {}
};

//! What makes two names the same file: its device and its inode (hard links and symbolic
//! links to a file share them).
struct FileIdentity {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

//! The identity of the file a path names (links followed), or nullopt when it does not exist.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

//! The identity of the file behind an open descriptor (standard output is 1).
std::optional<FileIdentity> IdentityOfDescriptor(int descriptor);

//! The system's text for an errno value ("No such file or directory"); safe in any thread.
std::string SystemReason(int error);

//! An open file to write, closed when it goes out of scope (quietly; call Close to learn of a
//! failure). `kind` names the file in messages ("result file", "data file").
class OutputFile {
 public:
  enum class Mode {
    Create,  //!< created, or emptied by Truncate once the caller has checked its identity
    Append,  //!< an existing file, written at its end; never created
  };

  //! Opens `path` without waiting for a reader of a named pipe. A file opened to Create is
  //! not yet emptied. Throws FileError when it cannot be opened: "Could not create the result
  //! file "out.txt": Permission denied" ("Could not open ..." to Append).
  //! `shownAs` names the file in messages when it is not `path` (a temporary file written
  //! for it).
  static OutputFile Open(const std::string& path, Mode mode, std::string kind,
                         const std::string& shownAs = {});
  //! Standard output, named "-", written through and never closed or emptied.
  static OutputFile StandardOutput(std::string kind);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  ~OutputFile();

  const std::string& Name() const { return name_; }
  std::optional<FileIdentity> Identity() const { return IdentityOfDescriptor(descriptor_); }
  //! Empties a regular file opened to Create (pipes and devices have nothing to empty).
  void Truncate();
  //! Writes all of `bytes`, retrying interrupted and partial writes. Throws FileError.
  void Write(std::string_view bytes);
  //! Closes the file. Throws FileError when the system reports that the data did not land.
  void Close();

 private:
  OutputFile(int descriptor, std::string name, std::string kind, bool owned)
      : descriptor_(descriptor), name_(std::move(name)), kind_(std::move(kind)), owned_(owned) {}
  [[noreturn]] void Fail(std::string_view verb, int error) const;

  int descriptor_;
  std::string name_;
  std::string kind_;
  bool owned_;
};

//! An output written whole or not at all: its bytes go to a temporary file beside it (in its
//! folder, so that the rename stays on one disk), which Commit renames into its place; an
//! output given up (a failure, an interrupt, a refusal) leaves the name as it was and removes
//! the temporary file. "-" is standard output, written through; an existing name that is not
//! a regular file (a named pipe, a device) is written in place; a symbolic link keeps
//! pointing to the file, which is replaced.
class StagedOutput {
 public:
  //! Creates the temporary file. Throws FileError ("Could not create the table "t.csv":
  //! Permission denied"; `verb` says "create").
  static StagedOutput Begin(const std::string& name, std::string kind,
                            std::string_view verb = "create");

  StagedOutput(StagedOutput&& other) noexcept;
  StagedOutput& operator=(StagedOutput&&) = delete;
  //! Removes the temporary file unless it was committed.
  ~StagedOutput();

  const std::string& Name() const { return name_; }
  //! The file written until Commit: the temporary file, or the name itself when written in
  //! place. Steps that open the file by its name themselves open this one.
  const std::string& WrittenTo() const { return writtenTo_; }
  bool ToStandardOutput() const { return file_.Name() == "-"; }
  //! Writes all of `bytes`. Throws FileError naming the output.
  void Write(std::string_view bytes);
  //! Closes the temporary file: its bytes are complete. Throws FileError.
  void Close();
  //! Closes, then renames the temporary file into place. Throws FileError.
  void Commit();

 private:
  StagedOutput(OutputFile file, std::string name, std::string target, std::string writtenTo,
               std::string kind);

  OutputFile file_;
  std::string name_;    //!< as the command line gave it
  std::string target_;  //!< the file renamed over: the name, its links resolved
  std::string writtenTo_;
  std::string kind_;
  bool staged_;  //!< a temporary file stands for the output until Commit
};

//! The outputs of one command, committed together: every temporary file is complete before
//! the first is renamed into place, so that a command never leaves a mixed set of new and old
//! outputs.
class StagedOutputs {
 public:
  //! Begins an output (StagedOutput::Begin); the reference stays valid.
  StagedOutput& Add(const std::string& name, std::string kind, std::string_view verb = "create");
  //! Closes every output, then renames each into place. Throws FileError.
  void CommitAll();

 private:
  std::deque<StagedOutput> outputs_;
};

//! An open file to read, closed when it goes out of scope.
class InputFile {
 public:
  //! Opens `path` without waiting for a writer of a named pipe (one that nobody writes reads
  //! as empty). Throws FileError when it cannot be opened: "Could not open the data file
  //! "line3.dat": No such file or directory".
  static InputFile Open(const std::string& path, std::string kind);
  //! Standard input, named "-", never closed.
  static InputFile StandardInput(std::string kind);

  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&&) = delete;
  ~InputFile();

  const std::string& Name() const { return name_; }
  std::optional<FileIdentity> Identity() const { return IdentityOfDescriptor(descriptor_); }
  //! Reads up to `size` bytes, retrying interrupted reads; 0 at the end of the file. Throws
  //! FileError ("Could not read the data file "x": Is a directory").
  std::size_t Read(char* buffer, std::size_t size);

 private:
  InputFile(int descriptor, std::string name, std::string kind, bool owned)
      : descriptor_(descriptor), name_(std::move(name)), kind_(std::move(kind)), owned_(owned) {}

  int descriptor_;
  std::string name_;
  std::string kind_;
  bool owned_;
};

}  // namespace quillmere
