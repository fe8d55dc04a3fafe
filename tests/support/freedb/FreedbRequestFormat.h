#pragma once

#include <string>

namespace korvida::test {

// Checks one request, byte for byte, against the forms the client must send, and
// returns what is wrong with it (empty when nothing is):
//   query/read: request line (origin form, or absolute form through a proxy), Host line
//   naming the freedb server, Content-Type, User-Agent "Korvida 3.0", an optional
//   Proxy-Authorization: Basic line, Content-Length equal to the body's length, blank
//   line, and a body "cmd=cddb+query+<8 hex>+<n>+<n offsets>+<seconds>" or
//   "cmd=cddb+read+<category>+<id>", then "&hello=<words>+Korvida+3.0&proto=6\r\n";
//   submit: request line, Host line, then the six header lines with "Charset: UTF-8",
//   Content-Length equal to the bytes after the blank line, and those bytes being
//   "\r\n", an xmcd text that starts with "# xmcd" and ends with "PLAYORDER=\r\n", and
//   "\r\n".
// `host` is the Host value expected for an origin-form request (the server's address).
std::string RequestFormatProblem(const std::string& request, const std::string& host);

}  // namespace korvida::test
