// The satellite systems a receiver reports, told apart by the sentence's
// talker, by the system ID of an NMEA 4.10 GSA, or for the GP and GN talkers
// by the NMEA PRN ranges. Within one system a satellite has one number
// (SystemNumber), whichever range the receiver reported it in.
#pragma once

#include <string_view>

constexpr int kSystemUnknown = 0;
constexpr int kSystemGPS = 1;
constexpr int kSystemGLONASS = 2;
constexpr int kSystemGalileo = 3;
constexpr int kSystemBeiDou = 4;
constexpr int kSystemQZSS = 5;
constexpr int kSystemSBAS = 6;
constexpr int kSystemNavIC = 7;

// The system a PRN of the extended NMEA ranges belongs to: 1-32 GPS, 33-64
// and 120-158 SBAS, 65-96 GLONASS, 193-200 QZSS, 201-264 and 401-437
// BeiDou, 301-336 Galileo; kSystemUnknown outside them.
int SystemOfPrn(int nPRN);

// The system of a talker's satellites: GL GLONASS, GA Galileo, GB and BD
// BeiDou, GQ and QZ QZSS, GI NavIC; kSystemUnknown for GP, GN and any other
// talker, whose PRNs tell their system.
int SystemOfTalker(wchar_t first, wchar_t second);

// A satellite's system: the talker's, else the PRN range's.
int SystemOfSatellite(wchar_t first, wchar_t second, int nPRN);

// The system ID of an NMEA 4.10 GSA (field 18): 1 GPS, 2 GLONASS,
// 3 Galileo, 4 BeiDou, 5 QZSS, 6 NavIC; kSystemUnknown otherwise.
int SystemOfGsaId(int nId);

// The satellite's number within its system, the same for every range a
// receiver may report it in: Galileo 301-336 and BeiDou 201-264 / 401-437
// count from 1, QZSS 193-202 from 1, SBAS 33-64 becomes 120-151. Other
// numbers stay as they are.
int SystemNumber(int nSystem, int nPRN);

// "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS", "SBAS", "NavIC" or "unknown".
std::string_view SystemName(int nSystem);

// One letter per system for the page: G GPS, R GLONASS, E Galileo, C BeiDou,
// J QZSS, S SBAS, I NavIC, ? unknown.
wchar_t SystemLetter(int nSystem);
