#include "tests/support/sandbox.h"

#include <QtTest>

class TestPanel : public QObject
{
    Q_OBJECT
};

ZARVEL_TEST_MAIN(TestPanel)
#include "tst_panel.moc"
