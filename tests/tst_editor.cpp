#include "tests/support/sandbox.h"

#include <QtTest>

class TestEditor : public QObject
{
    Q_OBJECT
};

ZARVEL_TEST_MAIN(TestEditor)
#include "tst_editor.moc"
