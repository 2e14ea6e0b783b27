#pragma once

class QWidget;

// The colours setDef gives ("color", "textcolor"): a colour number as the
// panel writes it (0xRRGGBB).
namespace PanelColours {
void setBGColor(QWidget *widget, int color);
void setTextColor(QWidget *widget, int color);
} // namespace PanelColours
