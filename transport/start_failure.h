// Telling the operator that the proxy could not be started: every open of
// this process fails until it can be.
#pragma once

#include <string>
#include <string_view>

namespace zel::transport {

// Shows a failure notice: (caption, text).
using FailureNotice = void (*)(std::string_view caption, std::string_view text);

// The text of the notice for a start that failed with `reason`.
std::string proxyStartFailureText(std::string_view reason);

// Writes the notice to standard error and, when a graphical session is
// running and a notice function was installed, shows it there too.
void reportProxyStartFailure(std::string_view reason);

// Installs the function that shows the notice on the display (a message box
// of the user interface layer); null removes it.
void setGraphicalFailureNotice(FailureNotice notice);

}  // namespace zel::transport
