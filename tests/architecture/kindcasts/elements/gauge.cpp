// The kind's own file may cast to it.
void Gauge::update(QObject *object) { qobject_cast<Gauge *>(object); }
