class Gauge : public QWidget
{
};
class WideGauge : public Gauge
{
};
