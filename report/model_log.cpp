// Records of the model's evaluations in the program's files.
#include "report/model_log.hpp"

#include <cstdio>
#include <string_view>

#include "fio/fio.hpp"

namespace slug {

void write_model_log(const ModelLog& log) {
    static constexpr const char* kFirst[] = {"IERR1=", "IERR2=", "IERR3=", "IERR4=", "IERR5=", "IERR6="};
    static constexpr const char* kSecond[] = {"  NZ1=", "  NZ2=", "  NZ3=", "  NZ4=", "  NZ5=", "  NZ6="};
    for (const ModelEvent& e : log.events) {
        switch (e.kind) {
        case ModelEvent::Kind::BesselStatus:
            write_list(kLogUnit, {kFirst[e.k - 1], e.ierr, kSecond[e.k - 1], e.nz});
            break;
        case ModelEvent::Kind::NoBesselMethod:
            write_list(kLogUnit, {"UNSATZONE: NO BESSEL METHOD GAVE U AT P=", e.pp.real(), e.pp.imag(),
                                  "; U = 1 USED"});
            break;
        }
    }
}

void write_root_failure_message(int results_unit) {
    static constexpr std::string_view kMessage = " PROGRAM STOPPED BECAUSE NEWTON-RAPHSON ITERATIONS EXCEED 100";
    write_record(results_unit, kMessage);
    std::fflush(stdout);
    std::fwrite(kMessage.data(), 1, kMessage.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace slug
