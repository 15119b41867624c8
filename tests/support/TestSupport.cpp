#include "TestSupport.h"

#include <fstream>
#include <iterator>
#include <random>

namespace quillmere::test {

ScratchDirectory::ScratchDirectory() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("quillmere-test-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace quillmere::test
