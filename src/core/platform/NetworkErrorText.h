#pragma once

#include <string>

namespace korvida {

// "网络错误 (代码 = %d)：%s。" for a socket call that failed with `errorNumber`: the
// common network failures have Chinese reasons, others the system's text.
std::string NetworkErrorText(int errorNumber);

// The same text for a name lookup that failed with getaddrinfo code `lookupCode`
// (EAI_NONAME …); EAI_SYSTEM stands for `systemError`, which is then the code shown.
std::string NameLookupErrorText(int lookupCode, int systemError = 0);

}  // namespace korvida
