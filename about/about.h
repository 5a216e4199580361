#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class about;
}

// The About dialog: edition, version and credits on page 0, and a viewer
// for the licence texts of the Qt modules on page 1, read from the
// licenses folder under the working directory whenever one is chosen.
class about : public QDialog {
    Q_OBJECT

public:
    explicit about(QWidget *parent = nullptr);
    ~about() override;

private slots:
    void generateMenuBar();
    void loadLicenseContent(QString license);

private:
    Ui::about *ui;
};
