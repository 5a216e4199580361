/* Stands in for the updater in tests/wine/windows-test: records the arguments
 * the hand-over gave it, one a line, in its working folder. The record is
 * written under another name first, so the test never reads half of it. */
#include <stdio.h>

int main(int argc, char **argv)
{
    FILE *record = fopen("zvUpdtr.part", "wb");
    if (!record)
        return 1;
    for (int i = 1; i < argc; ++i)
        fprintf(record, "%s\n", argv[i]);
    if (fclose(record) != 0)
        return 1;
    return rename("zvUpdtr.part", "zvUpdtr.txt") == 0 ? 0 : 1;
}
