#pragma once
#include <chrono>
#include <cstdio>
#include <cstdlib>
struct PhaseClock { std::chrono::steady_clock::time_point t=std::chrono::steady_clock::now(); void lap(const char*n){auto u=std::chrono::steady_clock::now(); if(std::getenv("PHASES")) std::fprintf(stderr,"  %-20s %7.1f ms\n",n,std::chrono::duration<double,std::milli>(u-t).count()); t=u;} };
