#include "report/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "base/PrintableText.h"

namespace quillmere {
namespace {

//! Opens without blocking on a named pipe, retrying an interrupted call, then turns blocking
//! on again: the reads and writes themselves wait as usual.
int OpenWithoutWaiting(const std::string& path, int flags) {
  int descriptor;
  do {
    descriptor = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor >= 0) ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  return descriptor;
}

//! The text of strerror_r in either of its forms: the GNU one returns the text, the XSI one
//! fills the buffer and returns 0.
[[maybe_unused]] const char* ReasonText(const char* text, const char* /*buffer*/) {
  return text;
}
[[maybe_unused]] const char* ReasonText(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}

std::optional<FileIdentity> IdentityOf(const struct stat& status) {
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return IdentityOf(status);
}

std::optional<FileIdentity> IdentityOfDescriptor(int descriptor) {
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) return std::nullopt;
  return IdentityOf(status);
}

std::string SystemReason(int error) {
  // strerror may share one buffer between threads: the writer thread and a sweep's workers
  // report failures while others run.
  char buffer[256] = {};
  const char* text = ReasonText(::strerror_r(error, buffer, sizeof buffer), buffer);
  return text != nullptr ? std::string(text) : "Unknown error " + std::to_string(error);
}

// ---- writing ------------------------------------------------------------------------------

OutputFile OutputFile::Open(const std::string& path, Mode mode, std::string kind,
                            const std::string& shownAs) {
  // Created without O_TRUNC: the caller may find that the name is a file it must not lose.
  const int flags = mode == Mode::Create ? O_WRONLY | O_CREAT : O_WRONLY | O_APPEND;
  const int descriptor = OpenWithoutWaiting(path, flags);
  const std::string& name = shownAs.empty() ? path : shownAs;
  if (descriptor < 0) {
    const int error = errno;
    throw FileError(
        std::string(mode == Mode::Create ? "Could not create the " : "Could not open the ") + kind +
        " " + Quoted(name) + ": " + SystemReason(error));
  }
  return OutputFile(descriptor, name, std::move(kind), true);
}

OutputFile OutputFile::StandardOutput(std::string kind) {
  return OutputFile(STDOUT_FILENO, "-", std::move(kind), false);
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      name_(std::move(other.name_)),
      kind_(std::move(other.kind_)),
      owned_(other.owned_) {}

OutputFile::~OutputFile() {
  if (owned_ && descriptor_ >= 0) ::close(descriptor_);
}

void OutputFile::Fail(std::string_view verb, int error) const {
  throw FileError("Could not " + std::string(verb) + " the " + kind_ + " " + Quoted(name_) + ": " +
                  SystemReason(error));
}

void OutputFile::Truncate() {
  struct stat status {};
  if (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode)) return;
  int result;
  do {
    result = ::ftruncate(descriptor_, 0);
  } while (result != 0 && errno == EINTR);
  if (result != 0) Fail("empty", errno);
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("write", errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void OutputFile::Close() {
  if (!owned_ || descriptor_ < 0) return;
  // On Linux the descriptor is released even when close reports EINTR.
  const int result = ::close(std::exchange(descriptor_, -1));
  if (result != 0 && errno != EINTR) Fail("close", errno);
}

// ---- outputs written whole ----------------------------------------------------------------

namespace {

//! The permissions a file created by open(0666) would get: 0666 less the process's umask, read
//! from /proc rather than set and restored (umask is shared by every thread).
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Umask:", 0) == 0)
      return 0666 & ~static_cast<mode_t>(std::strtol(line.c_str() + 6, nullptr, 8));
  }
  return 0644;
}

}  // namespace

StagedOutput StagedOutput::Begin(const std::string& name, std::string kind, std::string_view verb) {
  if (name == "-") return StagedOutput(OutputFile::StandardOutput(kind), name, name, name, kind);
  struct stat status {};
  const bool exists = ::stat(name.c_str(), &status) == 0;
  if (exists && !S_ISREG(status.st_mode)) {
    OutputFile file = OutputFile::Open(name, OutputFile::Mode::Create, kind);
    return StagedOutput(std::move(file), name, name, name, std::move(kind));
  }
  // A link is followed: the temporary file goes beside the file it names.
  std::error_code error;
  std::filesystem::path target =
      exists ? std::filesystem::canonical(name, error) : std::filesystem::path(name);
  if (error) target = name;
  // ".table.csv" becomes ".table.Ab12Cd.csv": the temporary file keeps the name's extension,
  // which says what a picture is drawn as.
  const std::string extension = target.extension().string();
  std::string hidden = ".";  // appended piece by piece: GCC 12 misreads "x" + string
  hidden += target.stem().string();
  hidden += ".XXXXXX";
  hidden += extension;
  std::string pattern = (target.parent_path() / hidden).string();
  const int descriptor = ::mkostemps(pattern.data(), static_cast<int>(extension.size()), O_CLOEXEC);
  if (descriptor < 0) {
    const int reason = errno;
    throw FileError("Could not " + std::string(verb) + " the " + kind + " " + Quoted(name) + ": " +
                    SystemReason(reason));
  }
  ::fchmod(descriptor, exists ? status.st_mode & 07777 : NewFileMode());
  ::close(descriptor);
  OutputFile file = OutputFile::Open(pattern, OutputFile::Mode::Append, kind, name);
  return StagedOutput(std::move(file), name, target.string(), pattern, std::move(kind));
}

StagedOutput::StagedOutput(OutputFile file, std::string name, std::string target,
                           std::string writtenTo, std::string kind)
    : file_(std::move(file)),
      name_(std::move(name)),
      target_(std::move(target)),
      writtenTo_(std::move(writtenTo)),
      kind_(std::move(kind)),
      staged_(writtenTo_ != target_) {}

StagedOutput::StagedOutput(StagedOutput&& other) noexcept
    : file_(std::move(other.file_)),
      name_(std::move(other.name_)),
      target_(std::move(other.target_)),
      writtenTo_(std::move(other.writtenTo_)),
      kind_(std::move(other.kind_)),
      staged_(std::exchange(other.staged_, false)) {}

StagedOutput::~StagedOutput() {
  if (staged_) ::unlink(writtenTo_.c_str());
}

void StagedOutput::Write(std::string_view bytes) {
  file_.Write(bytes);
}

void StagedOutput::Close() {
  file_.Close();
}

void StagedOutput::Commit() {
  file_.Close();
  if (!staged_) return;
  if (::rename(writtenTo_.c_str(), target_.c_str()) != 0) {
    const int reason = errno;
    throw FileError("Could not write the " + kind_ + " " + Quoted(name_) + ": " +
                    SystemReason(reason));
  }
  staged_ = false;
}

StagedOutput& StagedOutputs::Add(const std::string& name, std::string kind, std::string_view verb) {
  return outputs_.emplace_back(StagedOutput::Begin(name, std::move(kind), verb));
}

void StagedOutputs::CommitAll() {
  for (StagedOutput& output : outputs_) output.Close();
  for (StagedOutput& output : outputs_) output.Commit();
}

// ---- reading ------------------------------------------------------------------------------

InputFile InputFile::Open(const std::string& path, std::string kind) {
  const int descriptor = OpenWithoutWaiting(path, O_RDONLY);
  if (descriptor < 0) {
    const int error = errno;
    throw FileError("Could not open the " + kind + " " + Quoted(path) + ": " + SystemReason(error));
  }
  return InputFile(descriptor, path, std::move(kind), true);
}

InputFile InputFile::StandardInput(std::string kind) {
  return InputFile(STDIN_FILENO, "-", std::move(kind), false);
}

InputFile::InputFile(InputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      name_(std::move(other.name_)),
      kind_(std::move(other.kind_)),
      owned_(other.owned_) {}

InputFile::~InputFile() {
  if (owned_ && descriptor_ >= 0) ::close(descriptor_);
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(descriptor_, buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) {
      throw FileError("Could not read the " + kind_ + " " + Quoted(name_) + ": " +
                      SystemReason(errno));
    }
  }
}

}  // namespace quillmere
