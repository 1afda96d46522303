#pragma once
// Windows virtual-key codes the viewer reacts to, for code that must not
// include <windows.h>. The window layer checks them against the real ones.

namespace keys {
constexpr int SPACE = 32;
constexpr int NEXT = 34;  // Page Down
constexpr int END = 35;
constexpr int HOME = 36;
constexpr int LEFT = 37;
constexpr int UP = 38;
constexpr int RIGHT = 39;
constexpr int DOWN = 40;
constexpr int DELETE_KEY = 46;
constexpr int A = 65;
constexpr int Z = 90;
constexpr int ADD = 107;
constexpr int SUBTRACT = 109;
constexpr int F1 = 112;
constexpr int F12 = 123;
constexpr int ESCAPE = 27;
constexpr int OEM_PLUS = 187;
constexpr int OEM_MINUS = 189;
}  // namespace keys
