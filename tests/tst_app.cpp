#include "tests/support/sandbox.h"

#include <QtTest>

class TestApp : public QObject
{
    Q_OBJECT
};

ZARVEL_TEST_MAIN(TestApp)
#include "tst_app.moc"
