/* A video module built for another version of levyc: its entry points are
   there, and its version says it is not this one's. */
void *LevycMakeVideoEncoding(void);
const char *LevycVideoModuleVersion(void);

void *LevycMakeVideoEncoding(void)
{
    return 0;
}

const char *LevycVideoModuleVersion(void)
{
    return "0.9.0";
}
