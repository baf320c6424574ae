// Test aid for the plug-in's job handling: the bytes of a small job (one selected group with a
// destination that has a bleed), their hex text form, and a fresh transient job object.
#pragma once

#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPID.h"
#include "model/BJobFile.h"
#include "model/JobText.h"

#include <cstdint>
#include <sstream>
#include <string>

// A job whose document name is `name` ('LN', summary part), whose job name is `name` + " job"
// ('DN', read only with the full part) and whose page count is 3 ('NP', full part only).
inline void fillSampleJob(BJobFile& job, const std::string& name) {
    job.documentName = name.c_str();
    job.jobName = (name + " job").c_str();
    job.pageCount = 3;
    job.layoutWidth = 210;
    BGroup* group = job.GetGroups().AddGroup();
    group->SetSelected(true);
    BDestination* destination = group->CreateDestination();
    destination->SetIdentifier("17");
    destination->SetSize(180, 100);
    destination->SetBleeds(3, 3, 3, 3);
}

inline std::string jobBytes(BJobFile& job, std::int32_t mask) {
    std::ostringstream out;
    job.Write(out, mask);
    return out.str();
}

inline std::string sampleJobBytes(const std::string& name, std::int32_t mask = kJobFilePartFull) {
    BJobFile job;
    fillSampleJob(job, name);
    return jobBytes(job, mask);
}

inline InterfacePtr<IZEPJobList> newTransientJob() {
    return InterfacePtr<IZEPJobList>(
        static_cast<IZEPJobList*>(CreateObject(kZEPJobBoss, IID_IZEPJOBLIST)));
}
