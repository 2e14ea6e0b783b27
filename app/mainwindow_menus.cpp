// MainWindow: actions, tool bars and the status bar.
#include "mainwindow.h"

#include "apppaths.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTextStream>
#include <QToolBar>

void MainWindow::createActions()
{
}

void MainWindow::createToolBars()
{
    harbikToolBar = new QToolBar(this);
    harbikToolBar->setObjectName(QStringLiteral("harbikToolBar"));
    harbikToolBar->setMovable(false);
    harbikToolBar->setFloatable(false);
    harbikToolBar->setOrientation(Qt::Horizontal);
    harbikToolBar->setFixedHeight(60);
    addToolBar(Qt::TopToolBarArea, harbikToolBar);
    if (!toolbarEnabled)
        harbikToolBar->hide();

    auto *title = new QLabel(QStringLiteral("Quillmate"));
    title->setStyleSheet(QStringLiteral(
        "font-family: 'Source Sans Pro'; color: #928285; vertical-align: middle; "
        "font-weight: 500; font-size: 30px; margin-left: 0.5em;"));
    harbikToolBar->addWidget(title);

    mainToolBar = new QToolBar(this);
    mainToolBar->setObjectName(QStringLiteral("toolBar"));
    mainToolBar->setMovable(false);
    mainToolBar->setFloatable(false);
    mainToolBar->setOrientation(Qt::Horizontal);
    mainToolBar->setFixedHeight(30);
    addToolBar(Qt::TopToolBarArea, mainToolBar);
}

void MainWindow::createStatusBar()
{
    statusBar()->setAutoFillBackground(true);

    // The launcher installs the program inside a bundle whose manifest lies one level up.
    const QString manifest = QDir(AppPaths::programDir()).filePath(QStringLiteral("../META-INF/MANIFEST.MF"));
    QString text;
    if (!QFile::exists(manifest)) {
        text = tr("Quillmate - Unsupported Version (Use the Orvanta Harbik to get support)");
    } else {
        QString version = QStringLiteral("Unknown");
        QFile file(manifest);
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            const QStringList lines = QTextStream(&file).readAll().split(QLatin1Char('\n'));
            for (const QString &line : lines) {
                if (line.contains(QLatin1String("Bundle-Version:")))
                    version = line.section(QStringLiteral(": "), 1).trimmed();
            }
        }
        text = tr("Quillmate - Version %1").arg(version);
    }
    versionLabel = new QLabel(text);
    versionLabel->setStyleSheet(QStringLiteral("margin-left: 0.5em;"));
    statusBar()->addWidget(versionLabel);

    fileLabel = new QLabel(tr("Ready"));
    fileLabel->setStyleSheet(QStringLiteral("margin-left: 0.1em;"));
    statusBar()->addPermanentWidget(fileLabel);
}

void MainWindow::updatePanelActions()
{
    if (forumButton)
        forumButton->setVisible(!forumUrl.isEmpty());
}

void MainWindow::updateHomeActions()
{
    if (forumButton)
        forumButton->setVisible(!forumUrl.isEmpty());
}

void MainWindow::createAppNotesMenu()
{
}
