#include "inspection/version_names.h"

namespace kestrel {
namespace {

using V = std::u16string_view;

// Each row's strings are the forms in which the servers of that build report their version; the
// mixed numbers of leading zeros are deliberate.
constexpr V kRtm70[] = {u"7.00.623"};
constexpr V kSp1of70[] = {u"7.00.699"};
constexpr V kSp2of70[] = {u"7.00.842"};
constexpr V kSp3of70[] = {u"7.00.961"};
constexpr V kSp4of70[] = {u"7.00.1063"};
constexpr V kRtm2000[] = {u"80.194.0", u"8.00.194"};
constexpr V kSp1of2000[] = {u"80.384.0", u"8.00.384"};
constexpr V kSp2of2000[] = {u"80.534.0", u"8.00.534"};
constexpr V kSp3of2000[] = {u"80.760.0", u"8.00.760"};
constexpr V kSp4of2000[] = {u"8.00.2039"};
constexpr V kSp4of2005[] = {u"9.00.5000.00", u"9.0.5000.00", u"9.00.5000", u"9.0.5000"};
constexpr V kSp3of2005[] = {u"9.00.4035", u"9.0.4035"};
constexpr V kSp2of2005[] = {u"9.00.3042", u"9.0.3042"};
constexpr V kSp1of2005[] = {u"9.00.2047", u"9.0.2047"};
constexpr V kRtm2005[] = {u"9.00.1399", u"9.0.1399", u"9.0.1399.06"};
constexpr V kSp1of2008R2[] = {u"10.50.2500.0", u"10.51.2500.0"};
constexpr V kSp2of2008R2[] = {u"10.50.4000.0", u"10.52.4000.0"};
constexpr V kSp3of2008R2[] = {u"10.50.6000.34", u"10.53.6000.34"};
constexpr V kRtm2008R2[] = {u"10.50.1600.1"};
constexpr V kSp4of2008[] = {u"10.0.6000.29", u"10.00.6000.29", u"10.4.6000.29"};
constexpr V kSp3of2008[] = {u"10.00.5500.00", u"10.0.5500.00", u"10.0.5500.0", u"10.3.5500.0"};
constexpr V kSp2of2008[] = {u"10.00.4000.00", u"10.0.4000.00", u"10.0.4000.0", u"10.2.4000.0"};
constexpr V kSp1of2008[] = {u"10.00.2531.00", u"10.0.2531.00", u"10.0.2531.0", u"10.1.2531.0"};
constexpr V kRtm2008[] = {u"10.00.1600.22", u"10.0.1600.22"};
constexpr V kSp2of2012[] = {u"11.0.5058.0", u"11.2.5058.0"};
constexpr V kSp1of2012[] = {u"11.00.3000.00", u"11.0.3000.0", u"11.1.3000.0"};
constexpr V kRtm2012[] = {u"11.00.2100.60", u"11.0.2100.60"};
constexpr V kRtm2014[] = {u"12.0.2000.80", u"12.00.2000.80"};
constexpr V kSp1of2014[] = {u"12.0.4100.1", u"12.00.4100.01", u"12.00.4100.1",
                            u"12.1.4100.1", u"12.01.4100.1",  u"12.01.4100.01"};

constexpr VersionNameRow kVersionNames[] = {
    {kSp4of70, u" - SQL Server 7.0 Service Pack 4 (SP4)"},
    {kSp3of70, u" - SQL Server 7.0 Service Pack 3 (SP3)"},
    {kSp2of70, u" - SQL Server 7.0 Service Pack 2 (SP2)"},
    {kSp1of70, u" - SQL Server 7.0 Service Pack 1 (SP1)"},
    {kRtm70, u" - SQL Server 7.0 (RTM)"},
    {kRtm2000, u" - SQL Server 2000 (RTM)"},
    {kSp1of2000, u" - SQL Server 2000 SP1 2000"},
    {kSp2of2000, u" - SQL Server 2000 SP2 2000"},
    {kSp3of2000, u" - SQL Server 2000 SP3 2000"},
    {kSp4of2000, u" - SQL Server 2000 SP4 2000"},
    {kSp4of2005, u" - SQL Server 2005 Service Pack 4"},
    {kSp3of2005, u" - SQL Server 2005 Service Pack 3"},
    {kSp2of2005, u" - SQL Server 2005 Service Pack 2"},
    {kSp1of2005, u" - SQL Server 2005 Service Pack 1"},
    {kRtm2005, u" - SQL Server 2005 (RTM)"},
    {kSp1of2008R2, u" - SQL Server 2008 R2 Service Pack 1"},
    {kSp2of2008R2, u" - SQL Server 2008 R2 Service Pack 2"},
    {kSp3of2008R2, u" - SQL Server 2008 R2 Service Pack 3"},
    {kRtm2008R2, u" - SQL Server 2008 R2 (RTM)"},
    {kSp4of2008, u" - SQL Server 2008 Service Pack 4"},
    {kSp3of2008, u" - SQL Server 2008 Service Pack 3"},
    {kSp2of2008, u" - SQL Server 2008 Service Pack 2"},
    {kSp1of2008, u" - SQL Server 2008 Service Pack 1"},
    {kRtm2008, u" - SQL Server 2008 (RTM)"},
    {kSp2of2012, u" - SQL Server 2012 Service Pack 2"},
    {kSp1of2012, u" - SQL Server 2012 Service Pack 1"},
    {kRtm2012, u" - SQL Server 2012 RTM"},
    {kRtm2014, u" - SQL Server 2014 RTM"},
    {kSp1of2014, u" - SQL Server 2014 Service Pack 1"},
};

constexpr MajorVersionRow kMajorVersions[] = {
    {u"6", u" - SQL Server 6.5"},   {u"7", u" - SQL Server 7"},
    {u"8", u" - SQL Server 2000"},  {u"9", u" - SQL Server 2005"},
    {u"10", u" - SQL Server 2008"}, {u"11", u" - SQL Server 2012"},
    {u"12", u" - SQL Server 2014"}, {u"13", u" - Provavel > SQL Server 2016"},
};

}  // namespace

std::span<const VersionNameRow> VersionNameTable() {
    return kVersionNames;
}

std::span<const MajorVersionRow> MajorVersionTable() {
    return kMajorVersions;
}

}  // namespace kestrel
