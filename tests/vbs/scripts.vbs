' The client script blocks through the DLL: the names pages call are there,
' the page-protection block asks the page's Request, values are escaped.

' A Request written in script: only the query string is asked.
Class QueryRequest
  Public Excel
  Public Function QueryString(name)
    If LCase(name) = "excel" Then QueryString = Excel Else QueryString = ""
  End Function
End Class

Dim c, req, s
Set c = CreateObject("Brevane.BrevaneCls")

Set req = New QueryRequest
req.Excel = " YES "
Check "CommScriptMouse is empty for the export", c.CommScriptMouse(req), ""
req.Excel = "no"
Check "CommScriptMouse defines NoContextMenu", InStr(c.CommScriptMouse(req), "function NoContextMenu(") > 0, True

s = c.CommScriptCheckForm("title|empty title$pwd|no password|pwd2|say ""again""")
Check "checkform defined", InStr(s, "function checkform(){") > 0, True
Check "empty message", InStr(s, "alert(""empty title"")") > 0, True
Check "confirmation field", InStr(s, "f[""pwd2""]") > 0, True
Check "quotes escaped", InStr(s, "alert(""say \x22again\x22"")") > 0, True
Check "closed", Right(s, 9), "</script>"

Check "ShowAjax in the POST block", InStr(c.CommAjaxPost(), "function ShowAjax(p_ObjectID,p_Url,p_PostStr)") > 0, True
Check "follow takes pixels", InStr(c.CommScriptScrollWindowFollow(120), "#master{LEFT:120px;") > 0, True
Check "calendar is a string", TypeName(c.CommScriptShowCalendar()), "String"
Check "tool tip is a string", TypeName(c.CommScriptShowToolTipText()), "String"
Check "title line colour", Left(c.CommShowScrollWindowTitle("blue"), 43), "&nbsp;&nbsp;&nbsp;&nbsp;<font color='blue'>"
Check "title line default colour", Left(c.CommShowScrollWindowTitle(), 42), "&nbsp;&nbsp;&nbsp;&nbsp;<font color='red'>"
Check "no-in-top", InStr(c.CommScriptNoInTop(), "if(top!=self){top.location=self.location;}") > 0, True

Finish
