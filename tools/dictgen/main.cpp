// lumex-dictgen: turns the dictionary source table (UTF-8, tab-separated)
// into the dBase dictionary the program reads. Run by the build.
#include "DbfWriter.h"
#include "DictionarySource.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace lumex::dictgen;
    if (argc != 3) {
        std::cerr << "usage: lumex-dictgen <dictionary.tsv> <output.dbf>\n";
        return 2;
    }
    const ParseResult parsed = readDictionarySource(argv[1]);
    if (!parsed.ok()) {
        std::cerr << "lumex-dictgen: " << parsed.error << '\n';
        return 1;
    }
    const EncodedDictionary encoded = encodeDictionary(parsed.source, argv[1]);
    if (!encoded.ok()) {
        std::cerr << "lumex-dictgen: " << encoded.error << '\n';
        return 1;
    }
    if (const std::string error = writeDictionaryTable(encoded, argv[2]); !error.empty()) {
        std::cerr << "lumex-dictgen: " << error << '\n';
        return 1;
    }
    return 0;
}
