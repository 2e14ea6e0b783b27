#pragma once

#include <QString>

// The product version text of this build ("2.5.0.720"), the stand-in for the
// version resource a Windows executable carries. The environment variable
// QUILLMATE_PRODUCT_VERSION overrides it (empty text included), so tests can
// play a build without version information or a newer/older one.
QString productVersionString();
