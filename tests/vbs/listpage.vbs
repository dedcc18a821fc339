' List pages and page chrome through the DLL: the fragments and alert
' scripts come back as the page writes them.
Dim c, s
Set c = CreateObject("Brevane.BrevaneCls")

Check "spaces", c.CommShowSpace(3), "&nbsp;&nbsp;&nbsp;"
Check "no spaces", c.CommShowSpace(0), ""
Check "empty line", c.CommShowEmptyLine(2), "<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=2><td></td></tr></table>"
Check "strip closer of a named form", c.CommShowSearchRight("myform"), "</td></tr></table>"
Check "strip closer of the form", c.CommShowSearchRight("FORM"), "</td></form></tr></table>"
Check "success then close", c.CommShowSuccess("ok", "close"), "<Script>{alert(""ok"");window.close();}</Script>"
Check "success message escaped", c.CommShowSuccess("a""</script>", ""), "<Script>{alert(""a\""<\/script>"");history.go(-1);}</Script>"
Check "opener refresh", c.CommOpenerEditRefresh("", 1), "<SCRIPT LANGUAGE=JavaScript>parent.dialogArguments.location.href=parent.dialogArguments.location;window.close();</SCRIPT>"
Check "close frame", Right(c.CommCloseWindowCurrent(), 18), "</iframe></center>"
Check "result type of the close frame", TypeName(c.CommCloseWindowCurrent()), "String"
s = c.CommShowNoRecord(4, True, "none")
Check "empty row for a spreadsheet", s, "<tr ><td ColSpan=4 Height=30 Align=Center><Font Color=Red>none</Font></td></tr>"

Finish
