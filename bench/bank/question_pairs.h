// Question/answer pairs of the shared fixtures as GBK text, for building large banks.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/cp936.h"

namespace benchdata {

// Reads gaokao_pairs.jsonl through python3 (a JSON reader the benchmark need not carry) as
// one "question<TAB>answer" line per pair, line breaks inside texts written as spaces.
inline std::vector<std::pair<std::string, std::string>> loadPairs(const std::string& jsonl) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::string command =
      "python3 -c 'import json,sys\n"
      "for l in open(sys.argv[1], encoding=\"utf-8\"):\n"
      "  r=json.loads(l); f=lambda s: s.replace(\"\\t\",\" \").replace(\"\\n\",\" \")"
      ".replace(\"\\r\",\" \")\n"
      "  print(f(r[\"question\"]) + \"\\t\" + f(r[\"answer\"]))' '" +
      jsonl + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return pairs;
  std::string all;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) all.append(buf, n);
  pclose(pipe);
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(start, end - start);
    std::size_t tab = line.find('\t');
    if (tab != std::string::npos)
      pairs.emplace_back(cp936::fromUtf8(line.substr(0, tab)),
                         cp936::fromUtf8(line.substr(tab + 1)));
    start = end + 1;
  }
  return pairs;
}

}  // namespace benchdata
