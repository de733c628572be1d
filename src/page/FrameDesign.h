#pragma once
// The skinned frame both windows of the program carry, as they were designed:
// MacOS, a grey one-pixel border on a light grey face, a Tahoma title, and the
// title-bar buttons each window lists.
#include "SUIForm.h"

#include <initializer_list>

void DesignMacFrame(TsuiForm& frame, std::initializer_list<TsuiTitleBarBtnType> buttons, int width, int height);
