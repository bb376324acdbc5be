// Replays a fuzz target's corpus (every file in the folders given) so found inputs stay test cases.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    if (!std::filesystem::is_directory(argv[i], ec)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++runs;
    }
  }
  // Also the empty input and a few short ones, which every parser must survive.
  const uint8_t small[4] = {0xFF, 0x00, 0x01, 0x80};
  for (size_t n = 0; n <= sizeof small; ++n) LLVMFuzzerTestOneInput(small, n);
  std::printf("replayed %d corpus inputs\n", runs);
  return 0;
}
