// What r742 prints for people: a node's reading as a table, and what a Send changed.
#pragma once

#include <string>

#include "site/node_operations.h"
#include "site/node_reading.h"

namespace r742 {

std::string ReadingText(const std::string& label, const std::string& line, unsigned node, unsigned order,
                        const NodeReading& reading);

// Per channel: before -> after as read back, or "unchanged".
std::string ChangesText(unsigned node, const NodeReading& before, const SendResult& sent);

}  // namespace r742
