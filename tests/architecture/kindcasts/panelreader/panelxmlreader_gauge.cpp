// The builder may cast to the kinds it builds, not to others.
void PanelXmlReader::readGauge(Container *parent) { qobject_cast<Gauge *>(parent->last()); }
void PanelXmlReader::readWideGauge(Container *parent) { static_cast<const WideGauge *>(parent->last()); }
