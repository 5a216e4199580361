#include "about/about.h"
#include "ui_about.h"

#include "app/config.h"
#include "app/resources.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

// The Qt modules whose licence texts the viewer offers, in menu order.
static QStringList moduleList;

about::about(QWidget *parent)
    : QDialog(parent)
    , ui((initResources(), new Ui::about))
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    const QString edition = configValue(QStringLiteral("type")).toString();
    setWindowTitle(tr("Zarvel ") + edition);
    ui->stackedWidget->setCurrentIndex(0);
    ui->label_type->setText(edition);
    ui->label_version->setText(appVersion);
    generateMenuBar();
}

about::~about()
{
    delete ui;
}

void about::generateMenuBar()
{
    if (moduleList.isEmpty())
        moduleList
            = QStringList { QStringLiteral("qtbase"), QStringLiteral("qtsvg"), QStringLiteral("qtimageformats") };

    auto *menuBar = new QMenuBar(this);

    QAction *aboutAction = menuBar->addAction(tr("About"));
    connect(aboutAction, &QAction::triggered, this, [this] { ui->stackedWidget->setCurrentIndex(0); });

    QMenu *licenseMenu = menuBar->addMenu(tr("Open Source License"));
    for (int i = 0; i < moduleList.size(); ++i) {
        QMenu *moduleMenu = licenseMenu->addMenu(moduleList.at(i));
        QAction *copyright = moduleMenu->addAction(QStringLiteral("COPYRIGHT"));
        QAction *gpl = moduleMenu->addAction(QStringLiteral("LICENSE.GPLv3"));
        QAction *lgpl = moduleMenu->addAction(QStringLiteral("LICENSE.LGPLv3"));
        QAction *used = moduleMenu->addAction(QStringLiteral("USED-LICENSE"));
        connect(copyright, &QAction::triggered, this, [this, i] { loadLicenseContent(moduleList.at(i)); });
        connect(gpl, &QAction::triggered, this, [this] { loadLicenseContent(QStringLiteral("gplv3")); });
        connect(lgpl, &QAction::triggered, this, [this] { loadLicenseContent(QStringLiteral("lgplv3")); });
        connect(used, &QAction::triggered, this, [this] { loadLicenseContent(QStringLiteral("lgplv3")); });
    }

    layout()->setMenuBar(menuBar);
}

void about::loadLicenseContent(QString license)
{
    ui->stackedWidget->setCurrentIndex(1);

    const QString folder = QDir::currentPath() + QLatin1String("/licenses");
    QString path;
    if (license == QLatin1String("lgplv3"))
        path = folder + QLatin1String("/COPYING.LESSER");
    else if (license == QLatin1String("gplv3"))
        path = folder + QLatin1String("/COPYING");
    else
        path = folder + QLatin1Char('/') + license + QLatin1String("/COPYRIGHT");

    QString text = tr("The file is missing from the licenses folder.");
    // Only regular files: reading a pipe or a device placed there would
    // block or never end.
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.readAll();
        const int nul = bytes.indexOf('\0');
        if (nul >= 0)
            bytes.truncate(nul);
        text = QString::fromUtf8(bytes);
        file.close();
    }
    ui->plainTextEdit_license->setPlainText(text);
}
