// Test aid: a job file as made outside the system: the job's own body between the elements that
// only such files carry, the setting definitions 'Dp', the ticket 'SR' and the export
// permission 'BP', each written when given.
#pragma once

#include "model/BJobFile.h"
#include "utils/UKeyStream.h"
#include "utils/umessage.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>

struct OutsideElements {
    std::shared_ptr<const umessage> defaults;
    std::shared_ptr<const umessage> ticket;
    std::string rawTicket; // bytes written as the ticket, when not empty
    std::optional<bool> forbidPDF;
};

inline void writeOutsideJob(std::ostream& out, BJobFile& job, const OutsideElements& extra) {
    UKeyOutStream keys(out, 0x4A4F4235); // "JOB5"
    if (extra.defaults)
        keys.select_key('Dp').write_message(*extra.defaults);
    job.WriteBody(keys, kJobFilePartFull);
    if (extra.ticket)
        keys.select_key('SR').write_message(*extra.ticket);
    if (!extra.rawTicket.empty())
        keys.select_key('SR').write_binary(extra.rawTicket.data(),
                                           static_cast<std::uint32_t>(extra.rawTicket.size()));
    if (extra.forbidPDF) {
        keys.begin_record('BP');
        keys.select_key('Br').write_bool(*extra.forbidPDF);
        keys.end();
    }
}
