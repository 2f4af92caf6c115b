// Rules that every backend's list and combo boxes follow alike.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace r742 {

bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// First row whose text begins with `prefix`, searching from the row after
// `start` (from the top when start is negative) and wrapping round; -1 if none.
int FindPrefixRow(int count, int start, std::string_view prefix, const std::function<std::string(int)>& rowText);

// The selected row stays on its row when rows are inserted or deleted before
// it; deleting the selected row leaves none selected (-1).
int SelectionAfterInsert(int selected, int insertedRow);
int SelectionAfterDelete(int selected, int deletedRow);

}  // namespace r742
