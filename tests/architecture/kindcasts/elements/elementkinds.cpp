// A kind table of two rows, as the real one writes them.
QList<ElementKind> makeKinds()
{
    QList<ElementKind> kinds;
    kinds << kind("Gauge", {"gauge"}, {});
    ElementKind wide = kind("Gauge", {"gauge"}, {});
    wide.className = "WideGauge";
    wide.xmlNames = QStringList{"widegauge"};
    kinds << wide;
    return kinds;
}
