#pragma once

// Where a page keeps a value the engine names: its global object or a slot of the engine
// helper's tables, and the property keys walked from there. The engine hands it to the
// page as an expression over the protocol, which no page policy limits; a value going back
// inside a native call's answer travels as data that the page walks, because a page's
// policy may forbid it to evaluate script.

#include <string>
#include <vector>

#include "engine/devtools/protocol_json.h"

namespace engine {

class PagePath {
 public:
  static PagePath Global();
  // The helper's table of values the page passed to the engine.
  static PagePath Kept(int slot);
  // The helper's table of results of the engine's calls into the page.
  static PagePath Result(int slot);

  PagePath Property(const std::string& key) const;
  std::string Expression() const;
  // The form the page helper's decoder walks.
  json Walk() const;

 private:
  enum class Root { kGlobal, kKept, kResult };
  PagePath(Root root, int slot) : root_(root), slot_(slot) {}

  Root root_;
  int slot_;
  std::vector<std::string> keys_;
};

}  // namespace engine
