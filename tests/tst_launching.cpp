#include "tests/support/sandbox.h"

#include <QtTest>

class TestLaunching : public QObject
{
    Q_OBJECT
};

ZARVEL_TEST_MAIN(TestLaunching)
#include "tst_launching.moc"
