// Key codes the board view's key handler understands. They are the Windows
// virtual-key codes the view was designed around; the widget host translates
// toolkit keys into them.
#pragma once

#include "platform/types.h"

constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21; // Page Up
constexpr UINT VK_NEXT = 0x22;  // Page Down
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_DELETE = 0x2E;
// Digits of the main keyboard (not the keypad) and letters are their ASCII codes.
constexpr UINT VK_KEY_2 = 0x32;
constexpr UINT VK_KEY_4 = 0x34;
constexpr UINT VK_KEY_6 = 0x36;
constexpr UINT VK_KEY_8 = 0x38;
constexpr UINT VK_KEY_X = 0x58;
constexpr UINT VK_KEY_Y = 0x59;
