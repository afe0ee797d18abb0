#include "platform/ui/StringTable.h"

#include <map>
#include <mutex>

namespace ui {
namespace {

struct Table {
  std::mutex mutex;
  std::map<unsigned, std::string> texts{
      // The common controls' version that dialogs read from the platform's own table.
      {36871, "4.70"},
  };
};

Table& TheTable() {
  static Table table;
  return table;
}

}  // namespace

void AddStrings(std::initializer_list<StringEntry> entries) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  for (const StringEntry& e : entries) t.texts[e.id] = e.text;
}

std::string LoadString(unsigned id) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  const auto it = t.texts.find(id);
  return it == t.texts.end() ? std::string() : it->second;
}

bool HasString(unsigned id) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  return t.texts.count(id) != 0;
}

}  // namespace ui
