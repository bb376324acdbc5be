// Independent checkers for the Aztec tests (native build only): zxing-cpp reads the pictures we draw,
// zint draws reference symbols. Each runs as a Debian tool in a child process.
#pragma once

#ifndef _WIN32

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "coding/lib_graph.h"
#include "support/code_image.h"

namespace aztec_readers {

inline std::string Run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// A folder of its own for one test's files, removed afterwards.
class TTempDir {
 public:
  TTempDir() {
    std::string t = (std::filesystem::temp_directory_path() / "aztecXXXXXX").string();
    if (mkdtemp(t.data())) path_ = t;
  }
  ~TTempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline bool HaveZxing() {
  return Run("/usr/bin/python3 -c 'import zxingcpp, PIL; print(\"ok\")' 2>/dev/null") == "ok\n";
}

inline bool HaveZint() { return Run("zint --version 2>/dev/null").find("Zint") != std::string::npos; }

inline int Hex(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

struct TDecoded {
  bool Found = false;
  std::string Bytes;
};

// Reads every image with zxing-cpp's Python binding in one process (the binding is installed for
// /usr/bin/python3, which need not be the first python3 on the PATH).
inline std::vector<TDecoded> ZxingDecode(const TTempDir& dir, const std::vector<std::vector<uint8_t>>& images) {
  const std::string script = dir.File("read.py");
  std::ofstream(script) << "import sys, zxingcpp\n"
                           "from PIL import Image\n"
                           "for f in sys.argv[1:]:\n"
                           "    r = zxingcpp.read_barcodes(Image.open(f).convert('L'), formats=zxingcpp.Aztec)\n"
                           "    print(r[0].bytes.hex() if r else '-', flush=True)\n";
  std::string command = "/usr/bin/python3 " + script;
  for (size_t i = 0; i < images.size(); ++i) {
    const std::string file = dir.File("img" + std::to_string(i) + ".bmp");
    WriteFileBytes(file, images[i]);
    command += " " + file;
  }
  const std::string out = Run(command);
  std::vector<TDecoded> result;
  size_t pos = 0;
  while (pos < out.size() && result.size() < images.size()) {
    const size_t eol = out.find('\n', pos);
    const std::string line = out.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? out.size() : eol + 1;
    TDecoded d;
    if (line != "-") {
      d.Found = true;
      for (size_t i = 0; i + 1 < line.size(); i += 2) d.Bytes += static_cast<char>(Hex(line[i]) * 16 + Hex(line[i + 1]));
    }
    result.push_back(d);
  }
  result.resize(images.size());
  return result;
}

// Reads a structured-append set with ZXingReader: raw bytes of each part, then of the joined message;
// and its report lines.
inline void ZxingReadSet(const TTempDir& dir, const std::vector<std::vector<uint8_t>>& images, std::string& bytes,
                         std::string& report) {
  std::string files;
  for (size_t i = 0; i < images.size(); ++i) {
    const std::string file = dir.File("set" + std::to_string(i) + ".bmp");
    WriteFileBytes(file, images[i]);
    files += " " + file;
  }
  bytes = Run("ZXingReader -format Aztec -bytes" + files);
  report = Run("ZXingReader -format Aztec" + files);
}

// zint's symbol as rows of '#' and '.'.
inline std::string ZintAscii(const TTempDir& dir, int type, const std::string& data, const std::string& options) {
  const std::string in = dir.File("zint.in");
  WriteFileBytes(in, data);
  const std::string dump = Run("zint -b " + std::to_string(type) + " " + options + " --binary -i " + in + " --dump");
  std::string s;
  for (char c : dump) {
    if (c == '\n') s += '\n';
    if (c == ' ' || c == '\n') continue;
    const int v = Hex(static_cast<char>(c | 0x20));
    for (int b = 3; b >= 0; --b) s += (v >> b) & 1 ? '#' : '.';
  }
  // Rows come in whole hex digits: cut each to the symbol's width, which zint's square symbol gives.
  std::string rows;
  const size_t n = static_cast<size_t>(std::count(s.begin(), s.end(), '\n'));
  size_t pos = 0;
  while (pos < s.size()) {
    const size_t eol = s.find('\n', pos);
    rows += s.substr(pos, n) + '\n';
    pos = eol + 1;
  }
  return rows;
}

}  // namespace aztec_readers

#endif
