// Makes a job file from its readable description (the format is in support/JobDescription.h):
//     make_sample_job sample_job.json sample_job.job5
//     make_sample_job --hex ../../examples/half_page_job.json half_page_job.hex
// With --hex it writes the bytes as upper-case hex text, as the companion application hands a
// job to the script methods ('Zemp').
#include "model/JobText.h"
#include "support/JobDescription.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    const bool hex = argc == 4 && std::string(argv[1]) == "--hex";
    if (argc != 3 + hex) {
        std::cerr << "usage: make_sample_job [--hex] description.json output\n";
        return 2;
    }
    const char* input = argv[1 + hex];
    const char* output = argv[2 + hex];
    std::ifstream in(input, std::ios::binary);
    umessage description;
    if (!in || !description.read(in)) {
        std::cerr << "cannot read the description " << input << '\n';
        return 1;
    }
    std::ostringstream bytes;
    writeDescribedJob(bytes, description);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << (hex ? EncodeJobText(bytes.str()) : bytes.str());
    out.close();
    if (!out) {
        std::cerr << "cannot write " << output << '\n';
        return 1;
    }
    return 0;
}
