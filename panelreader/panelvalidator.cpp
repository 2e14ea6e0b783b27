// PanelXmlReader: the panel validator. Reads a panel file once, in a streaming
// pass that gathers what every check needs, and, when the panel names one, its
// SVD file once into a register model of its own. Findings go to the console and
// the log file only.
#include "panelvalidator.h"

#include "errorreporter.h"
#include "expression.h"
#include "inputfile.h"
#include "numberliteral.h"
#include "panelstructurescan.h"
#include "panelxmlreader.h"
#include "registermodel.h"
#include "svdstreamreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <climits>

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("PanelXmlReader", text);
}

// "%1[%2]": the element name in upper case and a define or a line.
QString entry(const QString &elementName, const QString &what)
{
    return QStringLiteral("%1[%2]").arg(elementName.toUpper(), what);
}

QString lineEntry(const QString &elementName, qint64 line)
{
    return QStringLiteral("%1[LINE: %2]").arg(elementName.toUpper()).arg(line);
}

} // namespace

// Panel texts (defines, file names) shown on the HTML console must not add
// markup of their own; quotes stay as they are, so the lines read the same in
// the log file.
QString PanelValidation::escapeMarkup(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"));
}

namespace {

// Defaults of elements without items are stored without blanks; a label
// compares with a description the same way.
QString withoutBlanks(const QString &text)
{
    return text.simplified().remove(QLatin1Char(' '));
}

QString joined(const QStringList &entries)
{
    return entries.join(QStringLiteral(", "));
}

QString joined(const QSet<QString> &entries)
{
    QStringList list = entries.values();
    std::sort(list.begin(), list.end());
    return joined(list);
}

// A spin box bound: "0x..." (either case of x) as a hexadecimal integer, any
// other text as a double.
double spinBoxNumber(const QString &text, bool *ok)
{
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = text.mid(2);
        const qint64 value = digits.toLongLong(ok, 16);
        // A sign after the prefix is no hexadecimal literal.
        if (*ok && (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))))
            *ok = false;
        return double(value);
    }
    return text.toDouble(ok);
}

// The register model the SVD cross-check reads the panel's SVD file into.
class ValidationModel : public RegisterModelHost
{
public:
    ValidationModel() = default;
    ValidationModel(const ValidationModel &) = delete;
    ValidationModel &operator=(const ValidationModel &) = delete;
    ~ValidationModel() override { qDeleteAll(modules); }

    ModuleRecord *getModule(const QString &name) override { return modules.value(name); }
    bool addModule(ModuleRecord *&out, const QString &name) override
    {
        if (modules.contains(name))
            return false;
        out = new ModuleRecord;
        modules.insert(name, out);
        return true;
    }
    // Nothing is bound: the validator builds no elements.
    void registerElement(const QString &, ActiveElement *) override {}
    // The reader's doubts about single numbers and names are no findings of
    // the panel; a file it cannot read at all is one.
    void logMessage(const QString &) override {}

    QHash<QString, ModuleRecord *> modules;
};

// What the streaming pass collects.
struct StreamFindings {
    QHash<QString, qint64> definedNames;
    QSet<QString> lockonNames;
    QSet<QString> setdefNames;
    QSet<QString> sendUsbDataNames;
    QSet<QString> sendUsbRecdataNames;
    QSet<QString> ledNames;
    QSet<QString> svdBoundDefines;
    QMap<QString, QSet<QString>> overrideHideValues;
    QStringList invalidSpinBoxDefaults;
    QStringList spinBoxOutsideDefine;
    QStringList stepPrecision;
    QStringList svdZeroDefines;
    QStringList branchesOutsideTree;
    QVector<MathFormula> mathFormulas;
    QString svdFile;
};

void checkSpinBox(const QString &name, const QXmlStreamAttributes &attributes,
                  const QString &currentDefine, StreamFindings &found, QSet<QString> &xmlErrors)
{
    const bool isDouble = name == QLatin1String("doublespinbox");
    if (attributes.hasAttribute(QLatin1String("default")) && attributes.hasAttribute(QLatin1String("range"))) {
        const QStringList range = attributes.value(QLatin1String("range")).toString().split(QLatin1Char(';'));
        if (range.size() != 2) {
            xmlErrors.insert(translated("Invalid range value of %1").arg(entry(name, currentDefine)));
        } else {
            bool okDefault = false;
            bool okMin = false;
            bool okMax = false;
            const double value = spinBoxNumber(attributes.value(QLatin1String("default")).toString(), &okDefault);
            const double min = spinBoxNumber(range.at(0), &okMin);
            const double max = spinBoxNumber(range.at(1), &okMax);
            if (!okDefault || !okMin || !okMax) {
                xmlErrors.insert(translated("Unable to convert range or default value of %1 to a valid number")
                                     .arg(entry(name, currentDefine)));
            } else {
                if (value < min || value > max)
                    found.invalidSpinBoxDefaults.append(entry(name, currentDefine));
                if (!currentDefine.isEmpty() && !isDouble) {
                    const int capacity = bitRangeCapacity(currentDefine, 0);
                    const auto outside = [capacity](double v) { return v < 0 || v > capacity; };
                    if (capacity >= 0 && (outside(value) || outside(min) || outside(max)))
                        found.spinBoxOutsideDefine.append(entry(name, currentDefine));
                }
            }
        }
    }
    if (isDouble && attributes.hasAttribute(QLatin1String("step"))) {
        const int stepPlaces = decimalPlaces(attributes.value(QLatin1String("step")).toString());
        const int defaultPlaces = attributes.hasAttribute(QLatin1String("default"))
                                      ? decimalPlaces(attributes.value(QLatin1String("default")).toString())
                                      : 6;
        if (defaultPlaces < stepPlaces)
            found.stepPrecision.append(currentDefine);
    }
}

void checkActionCommand(const QXmlStreamAttributes &attributes, StreamFindings &found)
{
    static const QRegularExpression setdefValue(QStringLiteral("(\\.[a-z]+)?(=.+)"));
    static const QRegularExpression recdataIndex(QStringLiteral("^[0-9]+:"));
    const QString command = attributes.value(QLatin1String("cmd")).toString();
    const QString data = attributes.value(QLatin1String("data")).toString();
    // The reader takes both spellings of the set-define command.
    if (command == QLatin1String("setdef") || command == QLatin1String("setDef")) {
        const QString name = QString(data).remove(setdefValue);
        if (!name.isEmpty())
            found.setdefNames.insert(name);
    } else if (command == QLatin1String("sendUSB")) {
        if (!data.isEmpty()) {
            for (QString part : data.split(QLatin1Char(';'))) {
                const int colon = part.indexOf(QLatin1Char(':'));
                if (colon >= 0)
                    part.truncate(colon);
                if (numberLiteralFormat(part) == OtherText)
                    found.sendUsbDataNames.insert(part);
            }
        }
        const QString recdata = attributes.value(QLatin1String("recdata")).toString();
        if (!recdata.isEmpty()) {
            for (QString part : recdata.split(QLatin1Char(';'))) {
                part.remove(recdataIndex);
                if (part != QLatin1String("?"))
                    found.sendUsbRecdataNames.insert(part);
            }
        }
    }
}

// One element start of the streaming pass.
void checkElement(const QXmlStreamReader &xml, QString &currentDefine, bool &insideTree,
                  StreamFindings &found, QSet<QString> &xmlErrors)
{
    static const QRegularExpression svdDefine(QStringLiteral(
        "\"(([a-zA-Z0-9_]+.[a-zA-Z0-9_]+(?>.[a-zA-Z0-9_]+))?(?>\\[\\d+(?>:\\d+)?\\])?)\""));
    static const QRegularExpression lockonValue(QStringLiteral("(\\.[a-z]+)?(=.+)$"));

    const QString name = xml.name().toString();
    const QXmlStreamAttributes attributes = xml.attributes();
    const qint64 line = xml.lineNumber();
    const auto value = [&attributes](const char *attribute) {
        return attributes.value(QLatin1String(attribute)).toString();
    };
    const auto has = [&attributes](const char *attribute) {
        return attributes.hasAttribute(QLatin1String(attribute));
    };

    if (has("define")) {
        currentDefine = value("define");
        found.definedNames.insert(currentDefine, line);
        const QString svd = value("svd");
        if (svd != QLatin1String("0") && name != QLatin1String("image") && name != QLatin1String("led")) {
            const QRegularExpressionMatch match =
                svdDefine.match(QLatin1Char('"') + currentDefine + QLatin1Char('"'));
            if (match.hasMatch() && !match.captured(2).isEmpty())
                found.svdBoundDefines.insert(match.captured(2));
        } else if (!found.svdFile.isEmpty() && svd == QLatin1String("0")
                   && currentDefine.count(QLatin1Char('.')) == 2) {
            found.svdZeroDefines.append(currentDefine);
        }
    }

    if (name == QLatin1String("svd")) {
        if (has("file"))
            found.svdFile = value("file");
    } else if (name == QLatin1String("spinbox") || name == QLatin1String("hexspinbox")
               || name == QLatin1String("doublespinbox")) {
        checkSpinBox(name, attributes, currentDefine, found, xmlErrors);
    } else if (name == QLatin1String("led")) {
        if (!has("data"))
            xmlErrors.insert(translated("Found led element without data attribute define at line %1").arg(line));
        else if (!value("data").isEmpty())
            found.ledNames.insert(value("data"));
    } else if (name == QLatin1String("treecontainer")) {
        insideTree = true;
    }
    // Math formulas are checked once every define of the file is known.
    if (name == QLatin1String("math"))
        found.mathFormulas.append({line, value("formula").simplified().remove(QLatin1Char(' '))});

    if (has("lockon")) {
        for (QString part : value("lockon").split(QLatin1Char(';'))) {
            if (!part.contains(QLatin1Char('='))) {
                xmlErrors.insert(translated("Found lockon without \"=\" at line %1").arg(line));
                continue;
            }
            part.remove(lockonValue);
            if (!part.isEmpty())
                found.lockonNames.insert(part);
        }
    }

    if (has("default")) {
        const QString text = value("default").simplified().remove(QLatin1Char(' '));
        if (text != QLatin1String("register=$PERIPHERALS$") && text.contains(QLatin1Char('='))) {
            const QString left = text.section(QLatin1Char('='), 0, 0);
            if (left != QLatin1String("value") && left != QLatin1String("label") && left != QLatin1String("index"))
                xmlErrors.insert(translated("\"default\" with \"=\" must have \"value\", \"label\" or \"index\" "
                                            "on its left side, at line %1")
                                     .arg(line));
        }
    }

    if (has("cmd"))
        checkActionCommand(attributes, found);

    if ((has("override") || has("hide")) && !currentDefine.isEmpty()) {
        QSet<QString> &values = found.overrideHideValues[currentDefine];
        if (!value("override").isEmpty())
            values.insert(value("override"));
        if (!value("hide").isEmpty())
            values.insert(value("hide"));
    }

    if (!insideTree && value("uielement") == QLatin1String("branch"))
        found.branchesOutsideTree.append(lineEntry(name, line));
}

// The defines of the SVD file's register model that the panel's findings
// refer to are taken off those findings.
void crossCheckSvd(const ValidationModel &model, QSet<QString> &svdBound,
                   QMap<QString, QString> &itemlessDefaults,
                   QMap<QString, QSet<QString>> &overrideHideValues, QMap<QString, int> &comboCounts,
                   QMap<QString, int> &radioCounts)
{
    for (auto module = model.modules.constBegin(); module != model.modules.constEnd(); ++module) {
        const QString &peripheral = module.key();
        for (auto reg = module.value()->registers.constBegin(); reg != module.value()->registers.constEnd();
             ++reg) {
            svdBound.remove(QStringLiteral("%1.%2").arg(peripheral, reg.key()));
            for (auto field = reg.value()->fields.constBegin(); field != reg.value()->fields.constEnd();
                 ++field) {
                const FieldRecord *record = field.value();
                const QString key = QStringLiteral("%1.%2.%3").arg(peripheral, reg.key(), field.key());
                svdBound.remove(key);

                if (itemlessDefaults.contains(key)) {
                    QString defaultText = itemlessDefaults.value(key);
                    const bool byDescription = defaultText.startsWith(QLatin1String("label="));
                    if (byDescription)
                        defaultText.remove(QStringLiteral("label="));
                    const QString number = parseNumberLiteral(defaultText);
                    for (const EnumeratedValue &enumerated : record->enumeratedValues) {
                        const bool equal =
                            byDescription
                                ? withoutBlanks(enumerated.description) == withoutBlanks(defaultText)
                                : parseNumberLiteral(QString::number(quint32(enumerated.value))) == number;
                        if (equal) {
                            itemlessDefaults.remove(key);
                            break;
                        }
                    }
                }

                if (overrideHideValues.contains(key)) {
                    QSet<QString> &values = overrideHideValues[key];
                    for (const EnumeratedValue &enumerated : record->enumeratedValues)
                        values.remove(enumerated.name);
                    if (values.isEmpty())
                        overrideHideValues.remove(key);
                }

                // A field of 31 bits or more holds any number of items.
                const int width = record->width();
                const qint64 capacity = width >= 31 ? qint64(INT_MAX) : width > 0 ? (qint64(1) << width) : -1;
                for (QMap<QString, int> *counts : {&comboCounts, &radioCounts}) {
                    if (counts->contains(key) && capacity >= 0 && counts->value(key) <= capacity)
                        counts->remove(key);
                }
            }
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Number rules and console lines

int bitRangeCapacity(const QString &define, int add)
{
    static const QRegularExpression suffix(QStringLiteral("(\\[\\d+(:\\d+)?\\])$"));
    const QRegularExpressionMatch match = suffix.match(define);
    if (!match.hasMatch())
        return -1;
    const QString inside = match.captured(1).mid(1, match.captured(1).size() - 2);
    const QStringList numbers = inside.split(QLatin1Char(':'));
    bool okFirst = false;
    bool okLast = false;
    const qint64 first = numbers.at(0).toLongLong(&okFirst);
    const qint64 last = numbers.size() > 1 ? numbers.at(1).toLongLong(&okLast) : first;
    if (numbers.size() == 1)
        okLast = okFirst;
    if (!okFirst || !okLast)
        return -2;
    const qint64 width = first - last + 1;
    if (width <= 0 || width > 31)
        return -2;
    const qint64 capacity = (qint64(1) << width) - 1 + add;
    return int(qBound<qint64>(INT_MIN, capacity, INT_MAX));
}

int decimalPlaces(const QString &text)
{
    if (text.isEmpty())
        return -1;
    static const QRegularExpression fraction(QStringLiteral("\\.([0-9]+)"));
    const QRegularExpressionMatch match = fraction.match(text);
    return match.hasMatch() ? match.captured(1).size() : 0;
}

void PanelValidation::consolePrintValidationError(const QString &title, const QString &text)
{
    if (text.isEmpty())
        return;
    ::logMessage(QStringLiteral("<font color=\"blue\"> <b>%1:</b></font><br>").arg(escapeMarkup(title)));
    ::logMessage(QStringLiteral("<font color=\"red\"> %1</font><br>").arg(escapeMarkup(text)));
}

void PanelValidation::consolePrintXmlErrors(const QSet<QString> &errors)
{
    QStringList sorted = errors.values();
    std::sort(sorted.begin(), sorted.end());
    for (const QString &error : qAsConst(sorted))
        ::logMessage(QStringLiteral("<font color=\"red\">  <b>XML Error: </b></font><b>Validation Error: </b>%1<br>")
                         .arg(escapeMarkup(error)));
}

using PanelValidation::consolePrintValidationError;
using PanelValidation::consolePrintXmlErrors;

// ---------------------------------------------------------------------------
// The branch and item checks

void PanelXmlReader::checkBranchUse(const PanelStructureScan &scan, const QString &elementName,
                                    const QString &fileName)
{
    const bool radioButtons = elementName == QLatin1String("radiobutton");
    QStringList found;
    for (const PanelStructureScan::SpanningElement &element : scan.spanningElements()) {
        if (element.radioButton != radioButtons || !element.hasChildNodes || element.hasActionChild
            || element.branch)
            continue;
        found.append(lineEntry(elementName, element.line));
    }
    consolePrintValidationError(tr("The following %1 elements do not have uielement=\"branch\" but spans other "
                                   "elements in XML file %2")
                                    .arg(elementName, fileName),
                                joined(found));
}

void PanelXmlReader::checkItemElements(const PanelStructureScan &scan, const QString &elementName,
                                       const QString &fileName, QMap<QString, int> &itemCounts,
                                       QMap<QString, QString> &itemlessDefaults)
{
    const bool radios = elementName == QLatin1String("radio");
    const bool hasSvd = scan.hasSvdElement();
    QStringList exceeding;
    QStringList invalidDefaults;
    for (const PanelStructureScan::ItemElement &element : scan.itemElements()) {
        if (element.radio != radios)
            continue;
        const QString &define = element.define;
        QString defaultText = element.defaultText;

        // The list of peripherals and a register list that follows it are
        // filled from the SVD file: they have no items of their own.
        const auto peripheralList = [&define](const QString &text) {
            return define == QLatin1String("$PERIPHERALS$")
                   || withoutBlanks(text) == QLatin1String("register=$PERIPHERALS$");
        };
        if (!element.hasChildNodes) {
            if (!defaultText.isEmpty()) {
                defaultText = withoutBlanks(defaultText);
                if (!peripheralList(defaultText))
                    itemlessDefaults.insert(define, defaultText);
            }
            continue;
        }
        if (element.items.isEmpty()) {
            if (!defaultText.isEmpty() && !peripheralList(defaultText))
                itemlessDefaults.insert(define, defaultText);
            continue;
        }

        const int n = element.items.size();
        const int capacity = bitRangeCapacity(define, 1);
        int counted = 0;
        bool found = false;
        if (defaultText.startsWith(QLatin1String("value=")))
            defaultText.remove(QStringLiteral("value="));
        const bool hasDefault = !defaultText.isEmpty();
        bool isLabel = false;
        bool isIndex = false;
        if (defaultText.startsWith(QLatin1String("label="))) {
            isLabel = true;
            defaultText.remove(QStringLiteral("label="));
        }
        if (defaultText.startsWith(QLatin1String("index="))) {
            isIndex = true;
            defaultText.remove(QStringLiteral("index="));
        }
        // An index default names the position among the visible items.
        bool indexOk = false;
        const int index = isIndex ? defaultText.toInt(&indexOk, 10) : -1;
        int visibleIndex = 0;

        for (const PanelStructureScan::Item &item : element.items) {
            if (item.hidden) {
                ++counted;
                continue;
            }
            if (hasDefault) {
                if (isLabel)
                    found = found || defaultText == item.label;
                else if (isIndex)
                    found = found || (indexOk && index == visibleIndex);
                else
                    found = found || defaultText == item.value;
            }
            ++visibleIndex;
            if (!item.value.isEmpty())
                ++counted;
        }

        if (hasDefault && !found) {
            if (isLabel || isIndex) {
                invalidDefaults.append(define);
            } else {
                bool ok = false;
                const int value = parseNumberLiteral(defaultText).toInt(&ok);
                if (!ok || value >= n - counted)
                    invalidDefaults.append(define);
            }
        }

        if (capacity == -1) {
            if (hasSvd && element.svd != QLatin1String("0") && define.count(QLatin1Char('.')) == 2)
                itemCounts.insert(define, n - counted);
        } else if (capacity != -2 && n > capacity) {
            exceeding.append(define);
        }
    }
    consolePrintValidationError(
        tr("The following %1 elements with number of items exceeding range of define in XML file %2")
            .arg(elementName, fileName),
        joined(exceeding));
    consolePrintValidationError(
        tr("The following %1 elements contain invalid default values in XML file %2").arg(elementName, fileName),
        joined(invalidDefaults));
}

// ---------------------------------------------------------------------------
// References

void PanelXmlReader::reportMissingDefines(const QString &fileName, const QString &kind,
                                          const QSet<QString> &names, const QHash<QString, qint64> &defined)
{
    QStringList missing;
    for (const QString &name : names) {
        if (!defined.contains(name))
            missing.append(name);
    }
    std::sort(missing.begin(), missing.end());
    consolePrintValidationError(
        tr("The following %1 defines could not be found in XML file %2").arg(kind, fileName), joined(missing));
}

void PanelXmlReader::checkMathDefines(const QString &fileName, const QVector<MathFormula> &formulas,
                                      const QHash<QString, qint64> &definedNames)
{
    static const QRegularExpression keyword(QStringLiteral("\\.(label|item|value|index)$"));
    for (const MathFormula &math : formulas) {
        QStringList tokens;
        QStringList numbers;
        QStringList names;
        tokenizeExpression(math.formula, &tokens, &numbers, &names, nullptr);
        const QStringList postfix = infixToPostfix(tokens, numbers, names);
        QStringList missing;
        for (const QString &token : postfix) {
            if (!names.contains(token) || token.startsWith(QLatin1Char('"')))
                continue;
            const QString name = QString(token).remove(keyword);
            const auto defined = definedNames.constFind(name);
            if ((defined == definedNames.constEnd() || defined.value() == math.line) && !missing.contains(name))
                missing.append(name);
        }
        consolePrintValidationError(tr("The following math defines could not be found in XML file %1").arg(fileName),
                                    joined(missing));
    }
}

void PanelXmlReader::reportOverrideHideValues(const QString &svdFile, const QMap<QString, QSet<QString>> &values)
{
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (it.value().isEmpty())
            continue;
        consolePrintValidationError(
            tr("The following override/hide values for %1 define could not be found in SVD file %2")
                .arg(it.key(), svdFile),
            joined(it.value()));
    }
}

// ---------------------------------------------------------------------------
// The run

void PanelXmlReader::validateXmlFile(QString path)
{
    if (path.isEmpty())
        return;
    QFile file(path);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
        reportCannotOpenFile(QFileInfo(path).absoluteFilePath(), openError);
        return;
    }
    const QString fileName = path.section(QLatin1Char('/'), -1);
    const QString panelDir = QFileInfo(path).absolutePath();
    const QString closingLine =
        QStringLiteral("<font color=\"blue\">  <b>Finished validation:</b></font> File: %1<br>").arg(PanelValidation::escapeMarkup(path));
    ::logMessage(QStringLiteral("<font color=\"blue\">  <b>Starting validation:</b></font> File: %1<br>")
                     .arg(PanelValidation::escapeMarkup(path)));

    QSet<QString> xmlErrors;
    const auto finish = [&]() {
        consolePrintXmlErrors(xmlErrors);
        ::logMessage(closingLine);
    };

    // One streaming pass gathers everything: the branch and item checks'
    // elements and the defines, references and element checks.
    PanelStructureScan structure;
    StreamFindings found;
    for (const char *name : {"$ADDRESS$", "$VALUE$", "$FUNC$", "DIR$"})
        found.definedNames.insert(QLatin1String(name), 0);
    QString currentDefine;
    bool insideTree = false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        structure.take(xml);
        if (token == QXmlStreamReader::StartElement)
            checkElement(xml, currentDefine, insideTree, found, xmlErrors);
        else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("treecontainer"))
            insideTree = false;
    }
    file.close();
    // A file that does not read to its end is not checked at all: what the
    // pass found before the error is no finding of the file.
    if (xml.hasError()) {
        xmlErrors.clear();
        xmlErrors.insert(tr("Unable to parse XML file %1").arg(fileName));
        finish();
        return;
    }

    checkBranchUse(structure, QStringLiteral("checkbox"), fileName);
    checkBranchUse(structure, QStringLiteral("radiobutton"), fileName);
    QMap<QString, int> comboCounts;
    QMap<QString, int> radioCounts;
    QMap<QString, QString> itemlessDefaults;
    checkItemElements(structure, QStringLiteral("combo"), fileName, comboCounts, itemlessDefaults);
    checkItemElements(structure, QStringLiteral("radio"), fileName, radioCounts, itemlessDefaults);

    reportMissingDefines(fileName, QStringLiteral("lockon"), found.lockonNames, found.definedNames);
    reportMissingDefines(fileName, QStringLiteral("setdef"), found.setdefNames, found.definedNames);
    reportMissingDefines(fileName, QStringLiteral("sendUSB data"), found.sendUsbDataNames, found.definedNames);
    reportMissingDefines(fileName, QStringLiteral("sendUSB recdata"), found.sendUsbRecdataNames, found.definedNames);
    reportMissingDefines(fileName, QStringLiteral("led"), found.ledNames, found.definedNames);
    checkMathDefines(fileName, found.mathFormulas, found.definedNames);

    if (found.svdFile.isEmpty()) {
        found.svdBoundDefines.clear();
    } else {
        const QString svdName = QString(found.svdFile).replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString svdPath = QDir(panelDir).absoluteFilePath(svdName);
        ValidationModel model;
        QFile svd(svdPath);
        bool read = openInputFile(svd, QIODevice::ReadOnly);
        if (read) {
            SvdStreamReader reader(&model, path);
            read = reader.read(&svd);
        }
        if (!read) {
            xmlErrors.insert(tr("Failed to open or unable to parse SVD file %1").arg(svdPath));
            finish();
            return;
        }
        crossCheckSvd(model, found.svdBoundDefines, itemlessDefaults, found.overrideHideValues, comboCounts,
                      radioCounts);
    }

    QString itemlessText;
    for (auto it = itemlessDefaults.constBegin(); it != itemlessDefaults.constEnd(); ++it)
        itemlessText += QStringLiteral("%1 (%2), ").arg(it.key(), it.value());
    consolePrintValidationError(
        tr("The following combo/radio elements are set to invalid default value in XML file %1").arg(fileName),
        itemlessText);
    reportOverrideHideValues(found.svdFile, found.overrideHideValues);
    consolePrintValidationError(tr("The following spinbox elements with invalid default value in XML file %1")
                                    .arg(fileName),
                                joined(found.invalidSpinBoxDefaults));
    consolePrintValidationError(
        tr("The following uielement defines which should not have svd=\"0\" contained in XML file %1").arg(fileName),
        joined(found.svdZeroDefines));
    consolePrintValidationError(
        tr("The following branch elements are not within a treecontainer element in XML file %1").arg(fileName),
        joined(found.branchesOutsideTree));
    consolePrintValidationError(
        tr("The following doublespinbox defines with step exceeding precision of default in XML file %1")
            .arg(fileName),
        joined(found.stepPrecision));
    consolePrintValidationError(
        tr("The following spinbox elements with default or range value not within range of define in XML file %1")
            .arg(fileName),
        joined(found.spinBoxOutsideDefine));
    consolePrintValidationError(
        tr("The following combo elements with number of items exceeding size of field in SVD file %1")
            .arg(found.svdFile),
        joined(comboCounts.keys()));
    consolePrintValidationError(
        tr("The following radio elements with number of items exceeding size of field in SVD file %1")
            .arg(found.svdFile),
        joined(radioCounts.keys()));
    consolePrintValidationError(tr("The following defines could not be found in SVD file %1").arg(found.svdFile),
                                joined(found.svdBoundDefines));
    finish();
}
