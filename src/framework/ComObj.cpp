#include "ComObj.h"

std::string WideToAnsi(BSTR s) { return s ? ToNarrow(std::wstring(s, SysStringLen(s))) : std::string(); }
