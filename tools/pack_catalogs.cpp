// lantervo_pack_catalogs PROGRAM NAME=FILE...: embeds the catalogs in a linked program.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/catalog_packer.h"

namespace {

// The one place besides the program's own table slot where the marker is spelled out.
constexpr char kMarker[] = "6637DB2E-62E1-4A60-AC19-C23867046A89";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  // Written in place, so that the program keeps its permissions.
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: lantervo_pack_catalogs PROGRAM NAME=FILE...\n";
    return 2;
  }
  try {
    std::vector<lantervo::tools::CatalogFile> files;
    for (int i = 2; i < argc; ++i) {
      const std::string arg = argv[i];
      const auto eq = arg.find('=');
      if (eq == std::string::npos || eq == 0)
        throw std::runtime_error("expected NAME=FILE: " + arg);
      files.push_back({arg.substr(0, eq), ReadFile(arg.substr(eq + 1))});
    }
    std::string image = ReadFile(argv[1]);
    lantervo::tools::PackCatalogs(image, kMarker, files);
    WriteFile(argv[1], image);
  } catch (const std::exception& e) {
    std::cerr << "lantervo_pack_catalogs: " << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
