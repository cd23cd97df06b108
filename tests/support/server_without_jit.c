/* A library for a test server: the server then answers any SET of the
 * parameter "jit" as a server that does not know it would, so that a test
 * can see the program start against such a server. */
#include "postgres.h"

#include "fmgr.h"
#include "nodes/parsenodes.h"
#include "tcop/utility.h"

#include <string.h>

PG_MODULE_MAGIC;

void _PG_init(void);

static ProcessUtility_hook_type previous_hook = NULL;

static void refuse_jit(PlannedStmt* pstmt, const char* queryString, bool readOnlyTree, ProcessUtilityContext context,
                       ParamListInfo params, QueryEnvironment* queryEnv, DestReceiver* dest, QueryCompletion* qc)
{
    Node* statement = pstmt->utilityStmt;
    if (IsA(statement, VariableSetStmt)) {
        const VariableSetStmt* set = (const VariableSetStmt*)statement;
        if (set->name && strcmp(set->name, "jit") == 0)
            ereport(ERROR, (errcode(ERRCODE_UNDEFINED_OBJECT),
                            errmsg("unrecognized configuration parameter \"%s\"", set->name)));
    }
    if (previous_hook)
        previous_hook(pstmt, queryString, readOnlyTree, context, params, queryEnv, dest, qc);
    else
        standard_ProcessUtility(pstmt, queryString, readOnlyTree, context, params, queryEnv, dest, qc);
}

void _PG_init(void)
{
    previous_hook = ProcessUtility_hook;
    ProcessUtility_hook = refuse_jit;
}
