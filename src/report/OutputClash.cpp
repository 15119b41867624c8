#include "report/OutputClash.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "base/Error.h"
#include "base/PrintableText.h"

namespace quillmere {
namespace {

constexpr std::string_view kStandardStream = "-";

//! What makes a name one file: its device and inode when it is a regular file (or a
//! directory), else the path it resolves to.
struct Place {
  bool Exists = false;
  //! A regular file or a directory: a device or a pipe loses nothing, while a directory
  //! cannot be a file written.
  bool Overwritable = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  std::string Path;  //!< resolved, when the name does not exist ("" for a stream)

  bool Same(const Place& other) const {
    if (Exists || other.Exists) {
      return Exists && other.Exists && Overwritable && other.Overwritable &&
             Device == other.Device && Inode == other.Inode;
    }
    return !Path.empty() && Path == other.Path;
  }
};

Place PlaceOfStatus(const struct stat& status) {
  Place place;
  place.Exists = true;
  place.Overwritable = S_ISREG(status.st_mode) || S_ISDIR(status.st_mode);
  place.Device = status.st_dev;
  place.Inode = status.st_ino;
  return place;
}

//! The path a name that does not exist yet would be created at: the links of the part that
//! exists resolved first, so that "L/../t.csv", where L links to A/B, is A/t.csv (the ".."
//! of a link leads out of the folder it names, not back to where the link is).
std::string ResolvedPath(const std::string& name) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(name, error);
  if (error) return name;
  std::filesystem::path path = std::filesystem::weakly_canonical(absolute, error);
  return (error ? absolute.lexically_normal() : path).string();
}

Place PlaceOf(const std::string& name, bool output) {
  struct stat status {};
  if (name == kStandardStream) {
    if (::fstat(output ? STDOUT_FILENO : STDIN_FILENO, &status) == 0) {
      return PlaceOfStatus(status);
    }
    return {};
  }
  if (::stat(name.c_str(), &status) == 0) return PlaceOfStatus(status);
  Place place;
  place.Path = ResolvedPath(name);
  return place;
}

std::string Named(const std::string& name, bool output) {
  if (name == kStandardStream) {
    return output ? "\"-\" (standard output)" : "\"-\" (standard input)";
  }
  return Quoted(name);
}

}  // namespace

void OutputClashCheck::Input(std::string kind, const std::string& name) {
  files_.push_back({std::move(kind), name, false});
}

void OutputClashCheck::Output(std::string kind, const std::string& name) {
  files_.push_back({std::move(kind), name, true});
}

void OutputClashCheck::OutputDirectory(std::string kind, const std::string& directory,
                                       std::function<bool(std::string_view)> isMember) {
  directories_.push_back({std::move(kind), directory, std::move(isMember)});
}

std::optional<std::string> OutputClashCheck::FirstClash() const {
  std::vector<Place> places;
  places.reserve(files_.size());
  for (const File& file : files_) places.push_back(PlaceOf(file.Name, file.Output));
  const auto overwrites = [&](const File& output, const std::string& outputName,
                              const File& other) -> std::string {
    if (!other.Output) {
      return "The " + output.Kind + " " + Named(outputName, true) + " is the " + other.Kind + " " +
             Named(other.Name, false) + " of this " + work_ +
             ", which is left as it is. Choose another " + output.Kind + ".";
    }
    return "The " + other.Kind + " and the " + output.Kind + " cannot be the same file " +
           Quoted(outputName) + ".";
  };
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (!files_[i].Output) continue;
    for (std::size_t j = 0; j < files_.size(); ++j) {
      if (j == i || (files_[j].Output && j > i)) continue;
      if (places[i].Same(places[j])) return overwrites(files_[i], files_[i].Name, files_[j]);
    }
  }
  // The files a directory receives: those of its names that exist now, by identity, and the
  // names of other files that resolve into it.
  for (const Directory& directory : directories_) {
    const std::string resolved = ResolvedPath(directory.Name);
    for (std::size_t j = 0; j < files_.size(); ++j) {
      if (places[j].Exists || places[j].Path.empty()) continue;
      const std::filesystem::path path(places[j].Path);
      if (path.parent_path() == resolved && directory.IsMember(path.filename().string())) {
        const File member{directory.Kind, path.string(), true};
        return overwrites(member, member.Name, files_[j]);
      }
    }
    std::error_code error;
    std::filesystem::directory_iterator entries(directory.Name, error);
    if (error) continue;
    for (const std::filesystem::directory_entry& entry : entries) {
      const std::string name = entry.path().filename().string();
      if (!directory.IsMember(name)) continue;
      const Place member = PlaceOf(entry.path().string(), true);
      for (std::size_t j = 0; j < files_.size(); ++j) {
        if (member.Same(places[j])) {
          return overwrites(File{directory.Kind, entry.path().string(), true},
                            entry.path().string(), files_[j]);
        }
      }
    }
  }
  return std::nullopt;
}

void OutputClashCheck::Check() const {
  if (std::optional<std::string> clash = FirstClash()) {
    throw Error(ErrorKind::Usage, *clash);
  }
}

}  // namespace quillmere
