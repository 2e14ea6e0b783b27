// Tests may cast as they like.
void test(QObject *object) { qobject_cast<Gauge *>(object); }
