#pragma once

class QWidget;

// Deletes a panel's widget (the scroll area the panel wiring shows, or a
// container) with its contents first: the elements and containers placed in
// each container are deleted deepest first, in the order they were placed,
// then the widget itself. Deleted from the top, every widget of a large panel
// had Qt walk the whole subtree below it again (for its repaint bookkeeping),
// and the walks went through the heap out of order. A panel that holds the
// keyboard focus is hidden first, so that the focus moves on to the window's
// next widget as it does for a hidden panel.
void deletePanelWidget(QWidget *root);
