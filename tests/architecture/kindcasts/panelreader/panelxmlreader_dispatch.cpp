static const Builder builders[] = {
    {"gauge", false, [](PanelXmlReader &r, const Place &p) { r.readGauge(p.parent); }},
    {"widegauge", false, [](PanelXmlReader &r, const Place &p) { r.readWideGauge(p.parent); }},
};
