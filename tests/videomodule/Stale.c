/* A video module built for another version of levyc: its entry points are
   there, and its version says it is not this one's. Built without the version
   too, as a module from before modules had one. */
void *LevycMakeVideoEncoding(void);
const char *LevycVideoModuleVersion(void);

void *LevycMakeVideoEncoding(void)
{
    return 0;
}

#ifndef LEVYC_UNVERSIONED
const char *LevycVideoModuleVersion(void)
{
    return "0.9.0";
}
#endif
