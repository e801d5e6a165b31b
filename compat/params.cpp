// Storage of the global parameter blocks; zero at program start because
// they have static storage duration.
#include "compat/params.hpp"

#include <cstring>

namespace slug {

Par2 par2;
Par3 par3;
Par4 par4;
Par5 par5;
Par6 par6;
Par7 par7;
Par11 par11;
Par12 par12;
Par13 par13;
Par14 par14;
Par15 par15 = [] {
    Par15 p{};
    std::memset(p.INFILE, ' ', kInfileLen);
    p.INFILE[kInfileLen] = '\0';
    return p;
}();
IoUnit iounit;

void reset_blocks() {
    par2 = {};
    par3 = {};
    par4 = {};
    par5 = {};
    par6 = {};
    par7 = {};
    par11 = {};
    par12 = {};
    par13 = {};
    par14 = {};
    par15 = {};
    std::memset(par15.INFILE, ' ', kInfileLen);
    iounit = {};
}

}  // namespace slug
