// Panel: refreshing formula labels after a define or variable changed, the
// range check of labels bound to bits, and formulas that read each other.
#include "quillpanel.h"

#include "consolelinks.h"
#include "elementsignals.h"
#include "errorreporter.h"
#include "mathlabel.h"
#include "numberliteral.h"

#include <QPointer>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <limits>

// The property of a label whose formula circle was reported: reported once.
static const char circleReportedProperty[] = "formulaCircleReported";

void Panel::on_updateMathLabel()
{
    if (QObject *source = senderElement())
        refreshMathLabels(source->objectName());
}

void Panel::refreshMathLabels(const QString &name)
{
    if (name.isEmpty())
        return;
    emit valuesChanged(false);
    QList<QPointer<MathLabel>> labels;
    for (MathLabel *label : m_registries.mathLabelsByDefine.value(name)) {
        if (label)
            labels.append(label);
    }
    if (labels.isEmpty())
        return;

    if (m_formulaDepth >= maxFormulaDepth) {
        // Labels that read each other would refresh each other for ever.
        bool reported = true;
        for (const QPointer<MathLabel> &label : qAsConst(labels)) {
            if (label && !label->property(circleReportedProperty).toBool()) {
                label->setProperty(circleReportedProperty, true);
                reported = false;
            }
        }
        if (!reported) {
            ::logMessage(QStringLiteral("<font color=\"red\"><b>Warning: </font></b> Formula refresh stopped at "
                                        "<a href=\"%1\">%2</a>: formulas read each other in a circle.<br>")
                             .arg(linkTarget(name), name.toHtmlEscaped()));
        }
        return;
    }

    ++m_formulaDepth;
    for (const QPointer<MathLabel> &label : qAsConst(labels)) {
        if (!label)
            continue;
        bool ok = true;
        const double value = evaluatePostfix(label->postfixTokens(), label->literals(), label->variables(), &ok);
        // The reports may run a message box, and with it the event loop.
        if (!ok)
            reportInvalidFormula(label->objectName());
        if (!label)
            continue;
        if (!m_flags.loading || m_flags.guiResetInProgress) {
            const QVariant max = label->elementProperty("max");
            if (max.isValid() && max.toLongLong() != -1) {
                const quint64 highest = max.toULongLong();
                const qint64 n = wholeNumber(value);
                if (n < 0 || quint64(n) > highest) {
                    if (!m_locks->overflowConflicts().contains(label.data()))
                        m_locks->consoleOverflowWarning(label, highest, name, n >= 0);
                } else if (m_locks->overflowConflicts().contains(label.data())) {
                    m_locks->consoleConflictCleared(label);
                }
            }
        }
        label->setValue(value);
    }
    --m_formulaDepth;
}

void Panel::checkFormulaCycles()
{
    // A name feeds the labels whose formulas read it.
    QHash<QString, QStringList> feeds;
    QHash<QString, QList<MathLabel *>> labelsByName;
    for (auto it = m_registries.mathLabelsByDefine.cbegin(); it != m_registries.mathLabelsByDefine.cend(); ++it) {
        for (MathLabel *label : it.value()) {
            if (!label)
                continue;
            feeds[it.key()].append(label->objectName());
            labelsByName[label->objectName()].append(label);
        }
    }

    // Depth first over the names, without recursion: a name met again while
    // it is still on the path closes a circle.
    enum Visit { NotSeen, OnPath, Done };
    QHash<QString, Visit> visits;
    QStringList starts = feeds.keys();
    std::sort(starts.begin(), starts.end());
    for (const QString &start : qAsConst(starts)) {
        if (visits.value(start, NotSeen) != NotSeen)
            continue;
        struct Step {
            QString name;
            int next;
        };
        QVector<Step> path{{start, 0}};
        visits.insert(start, OnPath);
        while (!path.isEmpty()) {
            const QStringList targets = feeds.value(path.last().name);
            if (path.last().next >= targets.size()) {
                visits.insert(path.last().name, Done);
                path.removeLast();
                continue;
            }
            const QString target = targets.at(path.last().next++);
            const Visit visit = visits.value(target, NotSeen);
            if (visit == NotSeen) {
                visits.insert(target, OnPath);
                path.append({target, 0});
                continue;
            }
            if (visit != OnPath)
                continue;
            QStringList circle;
            int i = int(path.size()) - 1;
            while (i > 0 && path.at(i).name != target)
                --i;
            for (; i < path.size(); ++i) {
                circle.append(path.at(i).name.toHtmlEscaped());
                for (MathLabel *label : labelsByName.value(path.at(i).name))
                    label->setProperty(circleReportedProperty, true);
            }
            circle.append(target.toHtmlEscaped());
            ::logMessage(QStringLiteral("<font color=\"red\"> <b>XML Error: </b></font><b>Circular formula %1.<br>")
                             .arg(circle.join(QStringLiteral(" --> "))));
        }
    }
}
