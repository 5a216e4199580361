#include "platform/desktop.h"

void createAutostartEntryFile()
{
}
