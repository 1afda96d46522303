#include "platform/browser_keys.h"

#include <cstring>

#include "viewer/key_codes.h"

namespace {

struct KeyName {
    const char* name;
    int viewer;
};

const KeyName BY_CODE[] = {
    {"NumpadAdd", keys::ADD},
    {"NumpadSubtract", keys::SUBTRACT},
};

const KeyName BY_MEANING[] = {
    {"Escape", keys::ESCAPE},
    {" ", keys::SPACE},
    {"PageDown", keys::NEXT},
    {"End", keys::END},
    {"Home", keys::HOME},
    {"ArrowLeft", keys::LEFT},
    {"ArrowUp", keys::UP},
    {"ArrowRight", keys::RIGHT},
    {"ArrowDown", keys::DOWN},
    {"Delete", keys::DELETE_KEY},
    {"a", keys::A},
    {"A", keys::A},
    {"z", keys::Z},
    {"Z", keys::Z},
    {"F1", keys::F1},
    {"F12", keys::F12},
    {"+", keys::OEM_PLUS},
    {"=", keys::OEM_PLUS},
    {"-", keys::OEM_MINUS},
};

template <std::size_t N>
int find(const KeyName (&table)[N], const char* name) {
    for (const KeyName& entry : table) {
        if (std::strcmp(entry.name, name) == 0) return entry.viewer;
    }
    return -1;
}

}  // namespace

int viewer_key_of(const char* key, const char* code) {
    const int by_code = find(BY_CODE, code);
    return by_code >= 0 ? by_code : find(BY_MEANING, key);
}
