#include "framework/MessageMap.h"

const MessageMapEntry* MessageMap::Find(UINT message, WPARAM wParam) const {
    for (const MessageMap* map = this; map; map = map->m_base) {
        for (std::size_t i = 0; i < map->m_count; ++i) {
            if (map->m_entries[i].Matches(message, wParam))
                return &map->m_entries[i];
        }
    }
    return nullptr;
}

bool CCmdTarget::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MessageMap* map = GetMessageMap();
    const MessageMapEntry* entry = map ? map->Find(message, wParam) : nullptr;
    if (!entry)
        return false;
    *result = entry->invoke(this, wParam, lParam);
    return true;
}
