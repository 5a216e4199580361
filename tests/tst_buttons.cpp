#include "tests/support/sandbox.h"

#include <QtTest>

class TestButtons : public QObject
{
    Q_OBJECT
};

ZARVEL_TEST_MAIN(TestButtons)
#include "tst_buttons.moc"
