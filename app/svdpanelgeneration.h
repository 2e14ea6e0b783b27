#pragma once

#include <QString>

class Panel;

// Generates a panel from an SVD file in the Tree or the Group layout and
// writes it signed beside the SVD file ("<name>_Generated.xml"); the
// registers and fields also go into panel's register model. True when the
// panel was generated and signed. Names of the file that give no C name are
// reported and left out (counted in namesLeftOut when given); the panel is
// written and signed without them. A file that cannot be read is reported.
bool generatePanelFromSvd(Panel *panel, const QString &svdFile, bool treeLayout, int *namesLeftOut = nullptr);
