#include "tests/support/sandbox.h"

#include <QtTest>

class TestDesktop : public QObject
{
    Q_OBJECT
};

ZARVEL_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
