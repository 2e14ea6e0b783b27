// qobject_cast<Gauge *>(object) in a comment is no cast.
void Panel::show(QObject *object)
{
    /* dynamic_cast<Gauge *>(object) */
    const char *text = "static_cast<Gauge *>";
    if (auto *gauge = qobject_cast<Gauge *>(object))
        gauge->show();
    auto *wide = dynamic_cast<const WideGauge*>(object);
    auto *label = qobject_cast<QLabel *>(object); // not a kind of ours
}
