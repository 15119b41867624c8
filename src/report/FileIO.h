// Opening, reading, writing and closing the program's files, with one set of safeguards: a
// named pipe never hangs an open, an interrupted call is retried, a file is never truncated
// before the caller has checked what it is, and every failure names the file and gives the
// system's reason.
#pragma once

#include "base/Error.h"

#include <cstdint>
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
  static OutputFile Open(const std::string& path, Mode mode, std::string kind);
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
