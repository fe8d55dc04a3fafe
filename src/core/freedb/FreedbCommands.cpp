#include "core/freedb/FreedbCommands.h"

#include <cstdio>

namespace korvida {

void PlusEncode(std::string& text) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '@' || text[i] == ' ')
            text[i] = '+';
    }
}

std::string BuildQueryCommand(const FreedbTocSummary& summary, const std::string& email) {
    // A summary that ComputeFreedbDiscId refused holds n = 0; clamp anyway so that no
    // entry outside the table is read.
    int n = summary[1];
    if (n < 0)
        n = 0;
    if (n > static_cast<int>(summary.size()) - 3)
        n = static_cast<int>(summary.size()) - 3;
    char number[32];
    std::snprintf(number, sizeof number, "%08x", static_cast<unsigned>(summary[0]));
    std::string command = "cmd=cddb+query+";
    command += number;
    command += '+' + std::to_string(n) + '+';
    for (int k = 0; k < n; ++k)
        command += std::to_string(summary[k + 2]) + '+';
    command += std::to_string(summary[n + 2]);
    command += "&hello=" + email + '+' + kFreedbClientName;
    command += "&proto=" + std::to_string(kFreedbProtocolLevel) + "\r\n";
    PlusEncode(command);
    return command;
}

std::string BuildReadCommand(const std::string& category, const std::string& discId,
                             const std::string& email) {
    std::string hello = email;
    PlusEncode(hello);
    std::string client = kFreedbClientName;
    PlusEncode(client);
    return "cmd=cddb+read+" + category + '+' + discId + "&hello=" + hello + '+' + client +
           "&proto=" + std::to_string(kFreedbProtocolLevel) + "\r\n";
}

}  // namespace korvida
