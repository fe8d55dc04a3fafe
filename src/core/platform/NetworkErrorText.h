#pragma once

#include <string>
#include <string_view>

namespace korvida {

// "网络错误 (代码 = %d)：%s (服务器 %s)。" for a socket call that failed with `errorNumber`
// while talking to `server` (a host, with its port when it has one): the common network
// failures have Chinese reasons, others the system's text. As a file error names its
// file, the text names the server; without one it ends after the reason.
std::string NetworkErrorText(int errorNumber, std::string_view server = {});

// The same text for a name lookup that failed with getaddrinfo code `lookupCode`
// (EAI_NONAME …); EAI_SYSTEM stands for `systemError`, which is then the code shown.
std::string NameLookupErrorText(int lookupCode, int systemError = 0, std::string_view server = {});

}  // namespace korvida
