#pragma once
// Where the diagnostic copies of an imported document go.

#include <QString>

namespace rozo
{
/// The folder for "preflat.xml" and "postflat.xml": RozozazoZOV under the
/// system's temporary folder, created on demand; empty when it cannot be made.
QString diagnosticFolder();
} // namespace rozo
