// Runs the fuzz target once over each input file, or each file in a folder, without libFuzzer:
// the corpus replay for compilers that have no fuzzing engine.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool RunFile(const std::string& path) {
  FILE* in = fopen(path.c_str(), "rb");
  if (in == nullptr) {
    fprintf(stderr, "cannot open %s\n", path.c_str());
    return false;
  }
  std::vector<uint8_t> data;
  uint8_t chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, in)) > 0) data.insert(data.end(), chunk, chunk + got);
  fclose(in);
  LLVMFuzzerTestOneInput(data.data(), data.size());
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    struct stat info;
    if (stat(argv[i], &info) != 0) {
      fprintf(stderr, "no such input: %s\n", argv[i]);
      return 1;
    }
    std::vector<std::string> paths;
    if (S_ISDIR(info.st_mode)) {
      DIR* folder = opendir(argv[i]);
      if (folder == nullptr) return 1;
      // One thread; readdir_r is the deprecated one.
      // cppcheck-suppress readdirCalled
      while (const dirent* entry = readdir(folder)) {
        if (entry->d_name[0] != '.') paths.push_back(std::string(argv[i]) + "/" + entry->d_name);
      }
      closedir(folder);
      std::sort(paths.begin(), paths.end());
    } else {
      paths.push_back(argv[i]);
    }
    for (const std::string& path : paths) {
      if (!RunFile(path)) return 1;
      ++runs;
    }
  }
  printf("replayed %d inputs\n", runs);
  return runs > 0 ? 0 : 1;
}
