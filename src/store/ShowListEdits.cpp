#include "store/ShowListEdits.h"

#include <mutex>

#include "store/ShowTable.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace epiloom {

std::string ToggleQuestion(const LanguageTexts& texts, std::string_view name, bool tick) {
  const std::string text = tick ? texts[TextKey::Check1] + " " + std::string(name) + " " + texts[TextKey::Check2]
                                : texts[TextKey::Uncheck] + " " + std::string(name) + " ?";
  return std::string(TrimBlanks(text));
}

Question BlacklistQuestion(const LanguageTexts& texts, std::string_view name) {
  return {std::string(TrimBlanks(texts[TextKey::Remove3])),
          texts[TextKey::Remove1] + " " + std::string(name) + " ?\n" + texts[TextKey::Remove2]};
}

bool ToggleFavorite(ShowStore& store, std::string_view name, bool tick) {
  std::lock_guard lock(store.mutex);
  const ShowTable& table = store.showTable;
  const std::size_t index = FindShow(table, name);
  // A name the table does not know (list and table disagree) never reads a record.
  if (!ShowFound(table, index)) return false;
  return tick ? AddFavorite(store.lists, table[index]) : RemoveFavorite(store.lists, table[index]);
}

bool BlacklistListedShow(ShowStore& store, std::string_view name) {
  std::lock_guard lock(store.mutex);
  return BlacklistShow(store.lists, name);
}

}  // namespace epiloom
