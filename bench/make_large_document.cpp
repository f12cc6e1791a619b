// make_large_document N OUT.mtlx: writes a generated document of N textured
// materials for measurements by hand (norvane import, roundtrip, --batch).
#include "LargeDocument.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3 || std::atoi(argv[1]) < 0)
    {
        std::fprintf(stderr, "usage: make_large_document N OUT.mtlx\n");
        return 2;
    }
    if (!rozo::bench::writeLargeDocument(argv[2], std::atoi(argv[1])))
    {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
