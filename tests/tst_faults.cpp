#include "tests/support/sandbox.h"

#include <QtTest>

class TestFaults : public QObject
{
    Q_OBJECT
};

ZARVEL_TEST_MAIN(TestFaults)
#include "tst_faults.moc"
