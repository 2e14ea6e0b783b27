#pragma once

#include "svdreader.h"

#include <QCoreApplication>
#include <QString>

#include <vector>

class Panel;
class QFile;

// Generates a ready-to-load panel from a CMSIS-SVD file: a tab "Peripherals"
// with one container per peripheral (a tree with a branch per register, or a
// grid with a group per register) and one row per field: a combo box for a
// field with enumerated values, a check box for a one-bit field, a spin box
// otherwise, each bound to PERIPHERAL.REGISTER.FIELD (PERIPHERAL.REGISTER for
// a register without fields). Arrays, clusters and derived peripherals are
// expanded as the SVD reader does. The file's peripherals, registers and
// fields also go into the loaded panel's register model, and their names into
// its "$PERIPHERALS$" and "$REGISTERS$" lists.
//
// Every define the panel exports must compile, and so must the name of each
// header: a peripheral, register (as the register model names it) or field
// whose name is no C name (letters, digits and "_", not starting with a
// digit) is left out of the panel, with everything in it, and reported with
// the SVD file's line. A register whose every field is left out is left out
// too; so is a peripheral with nothing left to show.
class SvdXmlGenerator
{
    Q_DECLARE_TR_FUNCTIONS(SvdXmlGenerator)
public:
    explicit SvdXmlGenerator(Panel *panel);

    // Tree layout (true, the default) or Group layout.
    bool treeFormat = true;

    // Writes "<SVD base name>_Generated.xml" into the current directory. True
    // when the SVD file was read without an error and the panel was written,
    // signed, in one write (a temporary file renamed over the name). An SVD file that does not read writes nothing: an existing file of that
    // name stays as it was. A refused or failed write is reported.
    bool generate(QFile *svdFile);

    // A name of the SVD file that no define can be made of.
    struct LeftOutName
    {
        QString kind;  // "Peripheral", "Register" or "Field"
        QString owner; // "PERIPHERAL" or "PERIPHERAL.REGISTER" for a register or field; empty otherwise
        QString name;  // as the file (or its array expansion) gives it
        qint64 line = 0;
    };
    // The names the last generation left out, in file order (each was logged).
    const std::vector<LeftOutName> &leftOutNames() const { return m_leftOut; }

    // The output file's name (relative to the current directory).
    QString outputName() const { return m_outputName; }
    // Why the read or the write failed; empty otherwise.
    QString errorString() const { return m_error; }
    // The position of the read error as an HTML link into the SVD file.
    QString formatErrorLocation() const;
    // Whether the output was refused or could not be written.
    bool outputFailed() const { return m_outputFailed; }

    // The generated text for peripherals read already (for the tests and the
    // benchmark): the head, the containers and the tail. The names left out
    // are added to leftOut when given.
    QString panelText(const QString &svdPathText, const std::vector<Symscan::Peripheral> &peripherals,
                      std::vector<LeftOutName> *leftOut = nullptr) const;

    // Whether a define or file name can be made of the name: a C identifier.
    static bool isCName(const QString &name);

private:
    void fillPanelLists(const QString &svdFile, const std::vector<Symscan::Peripheral> &peripherals);
    void logLeftOutNames() const;

    Panel *m_panel;
    QString m_outputName;
    QString m_svdFile;
    QString m_error;
    bool m_outputFailed = false;
    qint64 m_errorLine = 0;
    qint64 m_errorColumn = 0;
    int m_svdLines = 0;
    std::vector<LeftOutName> m_leftOut;
};
