#include "platform/list_rules.h"

#include <cctype>

namespace r742 {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

int FindPrefixRow(int count, int start, std::string_view prefix, const std::function<std::string(int)>& rowText) {
  for (int n = 0; n < count; ++n) {
    const int row = ((start < 0 ? -1 : start) + 1 + n) % count;
    if (StartsWithNoCase(rowText(row), prefix)) return row;
  }
  return -1;
}

int SelectionAfterInsert(int selected, int insertedRow) { return selected >= insertedRow ? selected + 1 : selected; }

int SelectionAfterDelete(int selected, int deletedRow) {
  if (selected == deletedRow) return -1;
  return selected > deletedRow ? selected - 1 : selected;
}

}  // namespace r742
