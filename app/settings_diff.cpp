#include "app/settings_diff.h"

#include "catalogue/switch_model.h"
#include "config/switch_block_writer.h"

namespace ntr {

std::vector<std::string> SwitchBlockLines(const SwitchRecord& record) {
  SwitchRecord copy = record;
  copy.failures.Clear();
  ModelFixUp(copy);
  std::string block;
  WriteSwitchBlock(copy, block);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < block.size()) {
    const std::size_t end = block.find('\n', start);
    lines.push_back(block.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> BlockSettingLines(const SwitchRecord& record) {
  std::vector<std::string> lines;
  for (std::string& line : SwitchBlockLines(record)) {
    if (line.starts_with("switch control function set ")) lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> DiffSettingLines(const SwitchRecord& tool, const SwitchRecord& device) {
  const std::vector<std::string> a = BlockSettingLines(tool);
  const std::vector<std::string> b = BlockSettingLines(device);
  // Longest common subsequence, then a walk that puts each "-" before the "+"
  // that replaces it.
  std::vector<std::vector<std::size_t>> common(a.size() + 1,
                                               std::vector<std::size_t>(b.size() + 1, 0));
  for (std::size_t i = a.size(); i-- > 0;) {
    for (std::size_t j = b.size(); j-- > 0;) {
      common[i][j] =
          a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
  }
  std::vector<std::string> diff;
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && a[i] == b[j]) {
      ++i;
      ++j;
    } else if (j == b.size() || (i < a.size() && common[i + 1][j] >= common[i][j + 1])) {
      diff.push_back("-" + a[i++]);
    } else {
      diff.push_back("+" + b[j++]);
    }
  }
  return diff;
}

}  // namespace ntr
